#pragma once

#include <QStringList>

namespace GpcTool {

// OutOfRange: the check found text that would print off the disc's ring, or a label square that
// would leave the page it was given.
enum ExitStatus { Success = 0, Refused = 1, UsageError = 2, OutOfRange = 3 };

int runInfo(const QStringList& args);
int runCreate(const QStringList& args);
int runRender(const QStringList& args);
int runAlignment(const QStringList& args);
int runCheck(const QStringList& args);
int runMerge(const QStringList& args);
int runTracks(const QStringList& args);
int runSheets(const QStringList& args);

} // namespace GpcTool
