#include "tools/gpctool/Commands.h"

int GpcTool::runCreate(const QStringList&) { return Refused; }
