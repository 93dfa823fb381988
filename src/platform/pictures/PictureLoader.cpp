#include "platform/pictures/PictureLoader.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

namespace PictureLoader {

namespace {
constexpr qint64 MaxPixels = 100'000'000; // photos up to 100 megapixels

LoadResult refuse(const QString& reason) { return LoadResult{std::nullopt, reason}; }
} // namespace

LoadResult loadBytes(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(int(MaxPixels * 4 / (1024 * 1024)) + 1);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > MaxPixels)
        return refuse(QStringLiteral("picture too large: %1 x %2 pixels")
                          .arg(size.width())
                          .arg(size.height()));
    QImage image = reader.read();
    if (image.isNull())
        return refuse(QStringLiteral("unreadable picture: %1").arg(reader.errorString()));
    return LoadResult{Picture::fromBitmap(std::move(image)), QString()};
}

LoadResult loadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    return loadBytes(file.readAll());
}

QString supportedPatterns() { return QStringLiteral("*.jpeg *.png *.gif *.tif *.tiff *.webp"); }

} // namespace PictureLoader
