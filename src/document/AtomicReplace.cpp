#include "document/AtomicReplace.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace AtomicReplace {

namespace {

constexpr int RandomChars = 6;
constexpr int NameAttempts = 100;
constexpr int MaxLinkDepth = 40;
constexpr qsizetype MaxWriteBytes = qsizetype(1) << 30;

// Owns one file descriptor.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_;
};

struct Target {
    QByteArray folder;
    QByteArray name;
    QByteArray leftoverPrefix;
    std::optional<mode_t> oldMode; // the permissions of the file being replaced
};

// The new file while it is written: unnamed, or under a hidden name where that is impossible.
struct NewFile {
    Descriptor fd;
    QByteArray name;
};

Result failure(int error) {
    return Result{false, QString::fromLocal8Bit(std::strerror(error)), error};
}

// A symbolic link stays a link: the file it points to is the one replaced.
std::optional<QFileInfo> followLinks(const QString& path) {
    QFileInfo info(path);
    for (int depth = 0; info.isSymLink(); ++depth) {
        if (depth == MaxLinkDepth)
            return std::nullopt;
        info.setFile(info.symLinkTarget());
    }
    return info;
}

std::optional<Target> resolve(const QString& path, Result* refusal) {
    const std::optional<QFileInfo> info = followLinks(path);
    if (!info) {
        *refusal = failure(ELOOP);
        return std::nullopt;
    }
    Target target;
    target.folder = QFile::encodeName(info->absolutePath());
    target.name = QFile::encodeName(info->fileName());
    target.leftoverPrefix = QFile::encodeName(leftoverPrefix(info->fileName()));
    struct stat old {};
    if (::stat(target.folder + '/' + target.name, &old) == 0) {
        if (!S_ISREG(old.st_mode)) {
            *refusal = Result{false, QStringLiteral("not a regular file"), 0};
            return std::nullopt;
        }
        target.oldMode = old.st_mode & 07777;
    }
    return target;
}

QByteArray randomName(const QByteArray& prefix) {
    static constexpr char Chars[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = prefix;
    for (int i = 0; i < RandomChars; ++i)
        name += Chars[QRandomGenerator::global()->bounded(int(sizeof(Chars) - 1))];
    return name;
}

// Removes a leftover only when nobody holds its lock: every writer locks its new file from
// creation until the rename, and the lock goes with the process that held it.
void removeIfAbandoned(int folderFd, const QByteArray& name) {
    const Descriptor fd(
        ::openat(folderFd, name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!fd.valid() || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return;
    struct stat opened {};
    struct stat named {};
    const bool sameFile = ::fstat(fd.get(), &opened) == 0 &&
                          ::fstatat(folderFd, name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
                          S_ISREG(opened.st_mode) && opened.st_dev == named.st_dev &&
                          opened.st_ino == named.st_ino;
    if (sameFile)
        ::unlinkat(folderFd, name.constData(), 0);
}

void removeLeftovers(int folderFd, const QByteArray& prefix) {
    const int listFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* const folder = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (!folder) {
        if (listFd >= 0)
            ::close(listFd);
        return;
    }
    std::vector<QByteArray> leftovers;
    while (const dirent* entry = ::readdir(folder)) {
        const QByteArray name(entry->d_name);
        if (name.size() == prefix.size() + RandomChars && name.startsWith(prefix))
            leftovers.push_back(name);
    }
    ::closedir(folder);
    for (const QByteArray& name : leftovers)
        removeIfAbandoned(folderFd, name);
}

int createNamed(int folderFd, const QByteArray& prefix, mode_t mode, NewFile* file) {
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        const QByteArray name = randomName(prefix);
        Descriptor fd(::openat(folderFd, name.constData(),
                               O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode));
        if (fd.valid()) {
            *file = NewFile{std::move(fd), name};
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

// Until its permissions are copied, the new file of an existing one is readable by its owner
// only.
int createNewFile(int folderFd, const Target& target, NewFile* file) {
    const mode_t mode = target.oldMode ? S_IRUSR | S_IWUSR : 0666;
    *file =
        NewFile{Descriptor(::openat(folderFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode)), {}};
    if (!file->fd.valid()) {
        if (const int error = createNamed(folderFd, target.leftoverPrefix, mode, file))
            return error;
    }
    if (::flock(file->fd.get(), LOCK_EX | LOCK_NB) != 0)
        return errno;
    if (target.oldMode && ::fchmod(file->fd.get(), *target.oldMode) != 0)
        return errno;
    return 0;
}

// Returns 0 or the system's error; a short write (a file size limit) is retried so that the
// second attempt reports why.
int writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t count = ::write(fd, data, size_t(std::min(left, MaxWriteBytes)));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return errno;
        if (count == 0)
            return EIO;
        data += count;
        left -= count;
    }
    return 0;
}

int linkAs(int fd, int folderFd, const QByteArray& name) {
    const QByteArray procPath = "/proc/self/fd/" + QByteArray::number(fd);
    if (::linkat(AT_FDCWD, procPath.constData(), folderFd, name.constData(), AT_SYMLINK_FOLLOW) ==
        0)
        return 0;
    const int procError = errno;
    if (procError == EEXIST)
        return EEXIST;
    // Without /proc; needs a privilege most users lack.
    if (::linkat(fd, "", folderFd, name.constData(), AT_EMPTY_PATH) == 0)
        return 0;
    return errno == EEXIST ? EEXIST : procError;
}

// Gives the unnamed file a hidden name; it is still locked, so no one removes it as a leftover.
int nameUnnamed(NewFile& file, int folderFd, const QByteArray& prefix) {
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        const QByteArray name = randomName(prefix);
        const int error = linkAs(file.fd.get(), folderFd, name);
        if (error == 0)
            file.name = name;
        if (error != EEXIST)
            return error;
    }
    return EEXIST;
}

int putInPlace(NewFile& file, int folderFd, const Target& target) {
    if (::fdatasync(file.fd.get()) != 0)
        return errno;
    if (file.name.isEmpty()) {
        if (const int error = nameUnnamed(file, folderFd, target.leftoverPrefix))
            return error;
    }
    if (::renameat(folderFd, file.name.constData(), folderFd, target.name.constData()) != 0)
        return errno;
    file.name.clear();
    // Makes the rename itself last through a power cut; a file system that cannot do this still
    // holds either file.
    ::fsync(folderFd);
    return 0;
}

} // namespace

QString leftoverPrefix(const QString& fileName) {
    return QLatin1Char('.') + fileName + QLatin1String(".saving-");
}

Result replace(const QString& path, const QByteArray& bytes) {
    Result refusal;
    const std::optional<Target> target = resolve(path, &refusal);
    if (!target)
        return refusal;
    const Descriptor folder(::open(target->folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid())
        return failure(errno);
    removeLeftovers(folder.get(), target->leftoverPrefix);
    NewFile file;
    // A failure at any step removes the new file's hidden name, if it has one.
    const auto removeNamed = qScopeGuard([&] {
        if (!file.name.isEmpty())
            ::unlinkat(folder.get(), file.name.constData(), 0);
    });
    int error = createNewFile(folder.get(), *target, &file);
    if (error == 0)
        error = writeAll(file.fd.get(), bytes);
    if (error == 0)
        error = putInPlace(file, folder.get(), *target);
    return error == 0 ? Result{true, QString(), 0} : failure(error);
}

} // namespace AtomicReplace
