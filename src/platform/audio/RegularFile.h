#pragma once

#include "platform/audio/AudioTrack.h"

#include <QByteArray>
#include <optional>

// Opening a file named by the user or a playlist without ever waiting on it: it is opened without
// blocking and kept only when it is a regular file, so a FIFO, a device or a socket is refused
// before a byte is read.
namespace RegularFile {

struct Opened {
    int descriptor = -1; // open, read only, when the path is a regular file; the caller closes it
    ReadProblem::Kind problem = ReadProblem::Kind::Missing;
    QString detail; // the system's reason for Unreadable
};

Opened open(const QString& path);

struct Contents {
    std::optional<QByteArray> bytes;
    ReadProblem::Kind problem = ReadProblem::Kind::Missing;
    QString detail;
};

// The whole file, refused as SheetTooLarge past maxBytes.
Contents read(const QString& path, qint64 maxBytes);

} // namespace RegularFile
