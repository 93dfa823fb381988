#include "tools/gpctool/Commands.h"

int GpcTool::runRender(const QStringList&) { return Refused; }
