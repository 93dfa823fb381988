#include "platform/files/RegularFile.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RegularFile {

namespace {
QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}
} // namespace

Opened open(const QString& path) {
    Opened opened;
    const QByteArray name = QFile::encodeName(path);
    // Some devices act when opened (a tape rewinds), so anything but a regular file is refused
    // before it is opened; the descriptor is checked again in case the name changed meanwhile.
    struct stat before {};
    if (::stat(name.constData(), &before) == 0 && !S_ISREG(before.st_mode)) {
        opened.problem = S_ISDIR(before.st_mode) ? Problem::Folder : Problem::NotRegularFile;
        return opened;
    }
    const int descriptor = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        const int error = errno;
        opened.problem =
            error == ENOENT || error == ENOTDIR ? Problem::Missing : Problem::Unreadable;
        opened.detail = systemReason(error);
        return opened;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        opened.problem = Problem::Unreadable;
        opened.detail = systemReason(errno);
        ::close(descriptor);
        return opened;
    }
    if (!S_ISREG(status.st_mode)) {
        opened.problem = S_ISDIR(status.st_mode) ? Problem::Folder : Problem::NotRegularFile;
        ::close(descriptor);
        return opened;
    }
    // Reads of a regular file never wait anyway; blocking mode keeps stdio's reads simple.
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    opened.descriptor = descriptor;
    return opened;
}

Contents read(const QString& path, qint64 maxBytes) {
    Contents contents;
    const Opened opened = open(path);
    if (opened.descriptor < 0) {
        contents.problem = opened.problem;
        contents.detail = opened.detail;
        return contents;
    }
    QFile file;
    if (!file.open(opened.descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        contents.problem = Problem::Unreadable;
        contents.detail = file.errorString();
        return contents;
    }
    if (file.size() > maxBytes) {
        contents.problem = Problem::TooLarge;
        return contents;
    }
    // One byte past the limit is asked for: a file that grew meanwhile is refused, not cut.
    QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        contents.problem = Problem::Unreadable;
        contents.detail = file.errorString();
        return contents;
    }
    if (bytes.size() > maxBytes) {
        contents.problem = Problem::TooLarge;
        return contents;
    }
    contents.bytes = std::move(bytes);
    return contents;
}

} // namespace RegularFile
