#pragma once

#include <QStringList>

namespace GpcTool {

enum ExitStatus { Success = 0, Refused = 1, UsageError = 2 };

int runInfo(const QStringList& args);
int runCreate(const QStringList& args);
int runRender(const QStringList& args);
int runMerge(const QStringList& args);

} // namespace GpcTool
