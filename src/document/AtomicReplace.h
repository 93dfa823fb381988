#pragma once

#include <QByteArray>
#include <QString>

// Replacing a file so that its name refers, at every moment and whatever happens to the process
// or the disk, either to the old file or to the complete new one.
namespace AtomicReplace {

struct Result {
    bool ok = false;
    QString reason; // the system's reason, one line, when not ok
    int error = 0;  // the system's error number, or 0 when the refusal is not the system's
};

// Writes `bytes` to an unnamed file in the folder of `path` (the folder of the file a symbolic
// link points to), flushes it to the disk, and only then names it and renames it over the
// target, keeping the old file's permissions. A failure at any point leaves the old file as it
// was. A file system that cannot hold unnamed files gets the new file under a hidden name
// (leftoverPrefix) instead.
//
// Renaming needs a name, so a process killed in the moment between naming and renaming, or
// while writing under a hidden name, leaves that hidden file. Every later replace of the same
// path removes such leftovers once the process that made them has gone, so they never pile up.
Result replace(const QString& path, const QByteArray& bytes);

// The start of the hidden names, ".<fileName>.saving-", followed by six random characters.
QString leftoverPrefix(const QString& fileName);

} // namespace AtomicReplace
