#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Opening a file named by the user, a playlist or a folder listing without ever waiting on it: it
// is opened without blocking and kept only when it is a regular file, so a FIFO, a device or a
// socket is refused before a byte is read.
namespace RegularFile {

enum class Problem {
    Missing,        // no such file or folder
    Unreadable,     // the system refused to open or read it (detail: its reason)
    NotRegularFile, // a FIFO, a device or a socket: never opened, so never waited on
    Folder,         // a folder where a file was expected
    TooLarge,       // past the size the reader asked for
};

struct Opened {
    int descriptor = -1; // open, read only, when the path is a regular file; the caller closes it
    Problem problem = Problem::Missing;
    QString detail; // the system's reason for Unreadable
};

Opened open(const QString& path);

struct Contents {
    std::optional<QByteArray> bytes;
    Problem problem = Problem::Missing;
    QString detail;
};

// The whole file, refused as TooLarge past maxBytes.
Contents read(const QString& path, qint64 maxBytes);

} // namespace RegularFile
