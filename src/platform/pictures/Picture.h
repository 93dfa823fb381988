#pragma once

#include <QImage>
#include <QSizeF>

// A loaded background picture: its pixels and its natural size in millimetres. Bitmaps have
// their pixel count at 96 pixels per inch as natural size; metafiles the size their header gives,
// rasterised at a higher resolution so that print stays sharp. An empty picture means "no
// background".
class Picture {
public:
    Picture() = default;
    Picture(QImage image, QSizeF naturalSizeMm)
        : image_(std::move(image)), naturalSizeMm_(naturalSizeMm) {}

    static constexpr double PixelsPerInch = 96.0;
    static constexpr double MmPerInch = 25.4;

    // A bitmap shown at its natural size: one pixel is 1/96 inch.
    static Picture fromBitmap(QImage image) {
        const QSizeF sizeMm(image.width() * MmPerInch / PixelsPerInch,
                            image.height() * MmPerInch / PixelsPerInch);
        return Picture(std::move(image), sizeMm);
    }

    bool isEmpty() const { return image_.isNull(); }
    const QImage& image() const { return image_; }
    QSizeF naturalSizeMm() const { return naturalSizeMm_; }

    // What the picture holds in memory, and a key that is the same for every copy of it (copies
    // share their data).
    qint64 memoryBytes() const { return image_.sizeInBytes(); }
    qint64 sharedKey() const { return image_.cacheKey(); }

    // Image pixels per millimetre of the natural size, for mapping a source rectangle.
    double pixelsPerMmX() const { return image_.width() / naturalSizeMm_.width(); }
    double pixelsPerMmY() const { return image_.height() / naturalSizeMm_.height(); }

private:
    QImage image_;
    QSizeF naturalSizeMm_;
};
