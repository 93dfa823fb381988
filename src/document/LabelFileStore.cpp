#include "document/LabelFileStore.h"

#include "document/AtomicReplace.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace LabelFileStore {

namespace {

using LabelFileCodec::DecodeResult;
using LabelFileCodec::Refusal;

// Nothing past the largest picture a file can describe is ever read, so a huge file of another
// kind does not have to fit in memory.
constexpr qint64 MaxMeaningfulBytes =
    LabelFileCodec::PictureOffset + LabelFileCodec::MaxPictureBytes;

// An open regular file, closed with its owner.
class ReadableFile {
public:
    ReadableFile() = default;
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;
    ~ReadableFile() {
        if (fd_ >= 0)
            ::close(fd_);
    }

    // 0, or the system's error. A FIFO opened without O_NONBLOCK would wait for a writer.
    int open(const QString& path) {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0)
            return errno;
        struct stat info {};
        if (::fstat(fd_, &info) != 0)
            return errno;
        regular_ = S_ISREG(info.st_mode);
        size_ = info.st_size;
        return 0;
    }
    bool isRegular() const { return regular_; }
    qint64 size() const { return size_; }

    // Appends up to `count` bytes to `bytes`, fewer only at the end of the file. 0 or the error.
    int readInto(QByteArray& bytes, qint64 count) {
        const qsizetype start = bytes.size();
        bytes.resize(start + qsizetype(count));
        qsizetype done = 0;
        while (done < count) {
            const ssize_t got = ::read(fd_, bytes.data() + start + done, size_t(count - done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                const int error = errno;
                bytes.resize(start + done);
                return error;
            }
            if (got == 0)
                break;
            done += got;
        }
        bytes.resize(start + done);
        return 0;
    }

private:
    int fd_ = -1;
    bool regular_ = false;
    qint64 size_ = 0;
};

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

SaveFault faultOf(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return SaveFault::NoSpace;
    case EACCES:
    case EPERM:
    case EROFS:
        return SaveFault::NotAllowed;
    case ENOENT:
    case ENOTDIR:
        return SaveFault::FolderGone;
    case 0:
        return SaveFault::NotAFile; // the only refusal that is not the system's
    default:
        return SaveFault::Other;
    }
}

SaveResult refuse(SaveFault fault, const QString& reason) {
    return SaveResult{false, reason, fault};
}

struct PictureRead {
    std::optional<QByteArray> bytes;
    SaveResult refusal;
};

PictureRead readPicture(const QString& backPath) {
    if (backPath.isEmpty())
        return {QByteArray(), SaveResult{}};
    auto cannot = [&backPath](SaveFault fault, const QString& why) {
        return PictureRead{std::nullopt,
                           refuse(fault, QStringLiteral("cannot read the background picture "
                                                        "\"%1\": %2")
                                             .arg(backPath, why))};
    };
    ReadableFile file;
    if (const int error = file.open(backPath))
        return cannot(error == ENOENT ? SaveFault::PictureGone : SaveFault::PictureUnreadable,
                      systemReason(error));
    if (!file.isRegular())
        return cannot(SaveFault::PictureUnreadable, QStringLiteral("not a regular file"));
    if (file.size() > LabelFileCodec::MaxPictureBytes)
        return cannot(SaveFault::PictureTooLarge, QStringLiteral("larger than a file can hold"));
    QByteArray bytes;
    if (const int error = file.readInto(bytes, file.size()))
        return cannot(SaveFault::PictureUnreadable, systemReason(error));
    // Empty bytes are what a document without a picture holds; an empty file is not that.
    if (bytes.isEmpty())
        return cannot(SaveFault::PictureUnreadable, QStringLiteral("the file is empty"));
    return {bytes, SaveResult{}};
}

SaveResult writeAtomically(const QString& path, const QByteArray& bytes) {
    const AtomicReplace::Result written = AtomicReplace::replace(path, bytes);
    if (!written.ok)
        return refuse(faultOf(written.error),
                      QStringLiteral("cannot write \"%1\": %2").arg(path, written.reason));
    return SaveResult{true, QString(), SaveFault::None};
}

DecodeResult unreadable(const QString& path, const QString& why) {
    return DecodeResult{std::nullopt, Refusal::Unreadable,
                        QStringLiteral("cannot read \"%1\": %2").arg(path, why)};
}

} // namespace

SaveResult save(const QString& path, const LabelDocument& document, std::int16_t scaleStep,
                const QString& backPath) {
    const PictureRead picture = readPicture(backPath);
    if (!picture.bytes)
        return picture.refusal;
    const LabelFileCodec::EncodeResult encoded =
        LabelFileCodec::encode(document, scaleStep, *picture.bytes);
    if (!encoded.bytes)
        return refuse(SaveFault::Content, encoded.reason);
    return writeAtomically(path, *encoded.bytes);
}

DecodeResult load(const QString& path) {
    ReadableFile file;
    if (const int error = file.open(path))
        return unreadable(path, systemReason(error));
    if (!file.isRegular())
        return DecodeResult{std::nullopt, Refusal::NotALabelFile,
                            QStringLiteral("\"%1\" is not a regular file").arg(path)};
    QByteArray bytes;
    if (const int error = file.readInto(bytes, LabelFileCodec::RecordSize))
        return unreadable(path, systemReason(error));
    DecodeResult identification = LabelFileCodec::identify(bytes);
    if (identification.refusal != Refusal::None)
        return identification;
    const qint64 rest = qMin(MaxMeaningfulBytes, file.size()) - bytes.size();
    if (const int error = file.readInto(bytes, qMax<qint64>(rest, 0)))
        return unreadable(path, systemReason(error));
    return LabelFileCodec::decode(std::move(bytes));
}

} // namespace LabelFileStore
