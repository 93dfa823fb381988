#include "platform/pictures/PictureLoader.h"

#include "platform/pictures/BmpDecoder.h"
#include "platform/pictures/EmfLoader.h"
#include "platform/pictures/EmfSanitizer.h"
#include "platform/pictures/ImageResult.h"
#include "platform/pictures/JpegSource.h"
#include "platform/pictures/PictureLimits.h"
#include "platform/pictures/StreamChecks.h"
#include "platform/pictures/WmfPlayer.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

namespace PictureLoader {

namespace {

LoadResult refuse(const QString& reason) {
    return LoadResult{std::nullopt, reason};
}

LoadResult bitmap(ImageResult decoded) {
    if (!decoded.ok())
        return refuse(decoded.reason);
    return LoadResult{Picture::fromBitmap(toDrawingFormat(std::move(decoded.image))), QString()};
}

enum class Format { Unknown, Bmp, Jpeg, Png, Gif, Tiff, WebP, Icon, Wmf, Emf };

// Decided by the file's first bytes, never by its name: documents embed pictures without one.
Format sniff(QByteArrayView bytes) {
    auto starts = [&bytes](const char* magic, qsizetype length) {
        return bytes.size() >= length &&
               QByteArrayView(bytes.data(), length) == QByteArrayView(magic, length);
    };
    if (starts("BM", 2))
        return Format::Bmp;
    if (starts("\xFF\xD8\xFF", 3))
        return Format::Jpeg;
    if (starts("\x89PNG\r\n\x1A\n", 8))
        return Format::Png;
    if (starts("GIF87a", 6) || starts("GIF89a", 6))
        return Format::Gif;
    if (starts("II*\0", 4) || starts("MM\0*", 4))
        return Format::Tiff;
    if (starts("RIFF", 4) && bytes.size() >= 12 && bytes.sliced(8, 4) == QByteArrayView("WEBP"))
        return Format::WebP;
    if (starts("\0\0\1\0", 4) || starts("\0\0\2\0", 4))
        return Format::Icon;
    if (EmfSanitizer::recognises(bytes))
        return Format::Emf;
    if (WmfPlayer::recognises(bytes))
        return Format::Wmf;
    return Format::Unknown;
}

QImageReader* prepare(QImageReader& reader) {
    reader.setAllocationLimit(int(PictureLimits::MaxPixels * 4 / (1024 * 1024)) + 1);
    return &reader;
}

// Of an icon or cursor file's images, the largest (the sharpest one to show).
void chooseLargestImage(QImageReader& reader) {
    int best = 0;
    qint64 bestPixels = -1;
    const int count = std::min(reader.imageCount(), 256);
    for (int i = 0; i < count && reader.jumpToImage(i); ++i) {
        const QSize size = reader.size();
        const qint64 pixels = qint64(size.width()) * size.height();
        if (pixels > bestPixels) {
            best = i;
            bestPixels = pixels;
        }
    }
    reader.jumpToImage(best);
}

LoadResult readWithQt(const QByteArray& bytes, const char* format) {
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    prepare(reader);
    // Pictures show as their pixels are stored: a document made elsewhere looks as it did there.
    reader.setAutoTransform(false);
    if (qstrcmp(format, "ico") == 0)
        chooseLargestImage(reader);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > PictureLimits::MaxPixels)
        return refuse(QStringLiteral("picture too large: %1 x %2 pixels")
                          .arg(size.width())
                          .arg(size.height()));
    QImage image = reader.read();
    if (image.isNull())
        return refuse(QStringLiteral("unreadable picture: %1").arg(reader.errorString()));
    return bitmap(ImageResult{std::move(image), QString()});
}

// A large JPEG stays compressed and is decoded part by part as it is shown; small ones, and those
// the part-by-part decoder does not take (progressive, arithmetic-coded, CMYK), are decoded
// whole as before.
LoadResult jpeg(const QByteArray& bytes) {
    if (!StreamChecks::jpegComplete(bytes))
        return refuse(QStringLiteral("JPEG data cut short"));
    std::shared_ptr<const JpegSource> source = JpegSource::open(bytes, nullptr);
    if (source && qint64(source->size().width()) * source->size().height() >
                      PictureLimits::MaxJpegPixelsDecodedWhole)
        return LoadResult{Picture::fromJpeg(std::move(source)), QString()};
    return readWithQt(bytes, "jpeg");
}

template <typename Result> LoadResult metafile(Result rendered) {
    if (!rendered.ok())
        return refuse(rendered.reason);
    return LoadResult{Picture(std::move(rendered.image), rendered.naturalSizeMm), QString()};
}

} // namespace

LoadResult loadBytes(const QByteArray& bytes) {
    switch (sniff(bytes)) {
    case Format::Bmp:
        return bitmap(BmpDecoder::decodeFile(bytes));
    case Format::Jpeg:
        return jpeg(bytes);
    case Format::Png:
        return readWithQt(bytes, "png");
    case Format::Gif:
        if (!StreamChecks::gifComplete(bytes))
            return refuse(QStringLiteral("GIF data cut short"));
        return readWithQt(bytes, "gif");
    case Format::Tiff:
        return readWithQt(bytes, "tiff");
    case Format::WebP:
        return readWithQt(bytes, "webp");
    case Format::Icon:
        return readWithQt(bytes, "ico");
    case Format::Wmf:
        return metafile(WmfPlayer::render(bytes));
    case Format::Emf:
        return metafile(EmfLoader::render(bytes));
    case Format::Unknown:
        break;
    }
    return refuse(QStringLiteral("not a picture format the editor reads"));
}

LoadResult loadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    // A JPEG is kept compressed, so its bound is what a document can hold; other formats are
    // decoded whole and keep the tighter one.
    const bool isJpeg = file.peek(3) == QByteArray("\xFF\xD8\xFF", 3);
    if (file.size() > (isJpeg ? PictureLimits::MaxJpegFileBytes : PictureLimits::MaxFileBytes))
        return refuse(QStringLiteral("picture file too large: %1 bytes").arg(file.size()));
    return loadBytes(file.readAll());
}

// JPEG's other names: some phones and programs write .jpeg or .jpe.
QString otherPatterns() {
    return QStringLiteral("*.jpeg;*.jpe;*.png;*.gif;*.tif;*.tiff;*.webp");
}

} // namespace PictureLoader
