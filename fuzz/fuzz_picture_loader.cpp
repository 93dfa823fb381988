// The picture loader as a whole on arbitrary bytes: every format it recognises by content, then
// the JPEG path on its own (the part-by-part decoder at several scales and places, whole and in
// bands, the EXIF reader, the thumbnail and the lossless turn), whatever the size of the picture.
#include "FuzzGuiApplication.h"
#include "platform/pictures/JpegOrientation.h"
#include "platform/pictures/JpegSource.h"
#include "platform/pictures/PictureLoader.h"

#include <cstdint>
#include <cstdlib>

namespace {

// A decoded part must cover what was asked at no less than the asked scale.
void decodeParts(const JpegSource& source) {
    const QSize size = source.size();
    const QRect whole(QPoint(0, 0), size);
    const struct {
        QRect area;
        double scale;
    } parts[] = {
        {whole, 0.05},
        {whole, 0.125},
        {QRect(size.width() / 3, size.height() / 3, size.width() / 3 + 1, size.height() / 3 + 1),
         1.0},
        {QRect(size.width() / 2, 0, size.width(), size.height() / 2 + 1), 0.4}};
    for (const auto& part : parts) {
        const PictureRegion region = source.decode(part.area, part.scale);
        if (region.isEmpty())
            continue;
        const QRect area = part.area.intersected(whole);
        if (region.areaPx.left() > area.left() || region.areaPx.top() > area.top() ||
            region.image.format() != QImage::Format_RGB32)
            std::abort();
    }
    // Bands come top to bottom, each beginning no lower than where the one before ended.
    double end = -1;
    source.decodeInBands(whole, 0.3, 0.2, 7, [&end](const PictureRegion& band) {
        if (band.image.format() != QImage::Format_RGB32 ||
            (end >= 0 && band.areaPx.top() > end + 1e-6))
            std::abort();
        end = band.areaPx.bottom();
    });
    const QImage thumbnail = source.thumbnail();
    if (!thumbnail.isNull() && thumbnail.width() > size.width())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const PictureLoader::LoadResult loaded = PictureLoader::loadBytes(bytes);
    if (!loaded.picture && loaded.reason.isEmpty())
        std::abort();
    if (const auto source = JpegSource::open(bytes, nullptr))
        decodeParts(*source);
    if (const std::optional<QByteArray> upright = JpegOrientation::upright(bytes)) {
        if (JpegOrientation::read(*upright) != 1)
            std::abort();
    }
    return 0;
}
