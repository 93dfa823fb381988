#include "document/LabelFileStore.h"

#include "document/AtomicReplace.h"

#include <QFile>

namespace LabelFileStore {

namespace {

// Nothing past the largest picture a file can describe is ever read, so a huge file of another
// kind does not have to fit in memory.
constexpr qint64 MaxMeaningfulBytes =
    LabelFileCodec::PictureOffset + LabelFileCodec::MaxPictureBytes;

struct ReadResult {
    std::optional<QByteArray> bytes;
    QString reason;
};

ReadResult readWhole(const QString& path, qint64 limit) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, file.errorString()};
    const QByteArray bytes = file.size() > limit ? file.read(limit) : file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {std::nullopt, file.errorString()};
    return {bytes, QString()};
}

SaveResult refuse(const QString& reason) {
    return SaveResult{false, reason};
}

ReadResult readPicture(const QString& backPath) {
    if (backPath.isEmpty())
        return {QByteArray(), QString()};
    QFile file(backPath);
    if (file.exists() && file.size() > LabelFileCodec::MaxPictureBytes)
        return {std::nullopt, QStringLiteral("the picture is larger than a file can hold")};
    return readWhole(backPath, LabelFileCodec::MaxPictureBytes);
}

SaveResult writeAtomically(const QString& path, const QByteArray& bytes) {
    const AtomicReplace::Result written = AtomicReplace::replace(path, bytes);
    if (!written.ok)
        return refuse(QStringLiteral("cannot write \"%1\": %2").arg(path, written.reason));
    return SaveResult{true, QString()};
}

} // namespace

SaveResult save(const QString& path, const LabelDocument& document, std::int16_t scaleStep,
                const QString& backPath) {
    const ReadResult picture = readPicture(backPath);
    if (!picture.bytes)
        return refuse(QStringLiteral("cannot read the background picture \"%1\": %2")
                          .arg(backPath, picture.reason));
    const LabelFileCodec::EncodeResult encoded =
        LabelFileCodec::encode(document, scaleStep, *picture.bytes);
    if (!encoded.bytes)
        return refuse(encoded.reason);
    return writeAtomically(path, *encoded.bytes);
}

LabelFileCodec::DecodeResult load(const QString& path) {
    ReadResult read = readWhole(path, MaxMeaningfulBytes);
    if (!read.bytes)
        return LabelFileCodec::DecodeResult{
            std::nullopt, LabelFileCodec::Refusal::Damaged,
            QStringLiteral("cannot read \"%1\": %2").arg(path, read.reason)};
    return LabelFileCodec::decode(std::move(*read.bytes));
}

} // namespace LabelFileStore
