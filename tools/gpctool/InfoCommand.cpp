#include "tools/gpctool/Commands.h"

int GpcTool::runInfo(const QStringList&) { return Refused; }
