#pragma once

#include "platform/Units.h"
#include "platform/pictures/JpegSource.h"
#include "platform/pictures/PictureRegion.h"

#include <QImage>
#include <QSizeF>
#include <memory>

// A loaded background picture and its natural size in millimetres. Bitmaps have their pixel
// count at 96 pixels per inch as natural size; metafiles the size their header gives, rasterised
// at a higher resolution so that print stays sharp. A large JPEG is kept compressed and decoded
// part by part (see JpegSource); every other picture is held decoded whole. An empty picture
// means "no background".
class Picture {
public:
    Picture() = default;
    Picture(QImage image, QSizeF naturalSizeMm)
        : image_(std::move(image)), naturalSizeMm_(naturalSizeMm) {}


    // A bitmap shown at its natural size: one pixel is 1/96 inch.
    static Picture fromBitmap(QImage image) {
        const QSizeF sizeMm = naturalSizeOf(image.size());
        return Picture(std::move(image), sizeMm);
    }
    static Picture fromJpeg(std::shared_ptr<const JpegSource> jpeg) {
        Picture picture;
        picture.naturalSizeMm_ = naturalSizeOf(jpeg->size());
        picture.jpeg_ = std::move(jpeg);
        return picture;
    }

    bool isEmpty() const { return image_.isNull() && !jpeg_; }
    // True when the pixels are all in memory (image()); false for a JPEG kept compressed.
    bool decodedWhole() const { return !jpeg_; }
    // The decoded pixels of a picture held whole; null for a JPEG kept compressed.
    const QImage& image() const { return image_; }
    const std::shared_ptr<const JpegSource>& jpeg() const { return jpeg_; }

    QSize pixelSize() const { return jpeg_ ? jpeg_->size() : image_.size(); }
    QSizeF naturalSizeMm() const { return naturalSizeMm_; }

    // Full-resolution pixels per millimetre of the natural size, for mapping a source rectangle.
    double pixelsPerMmX() const { return pixelSize().width() / naturalSizeMm_.width(); }
    double pixelsPerMmY() const { return pixelSize().height() / naturalSizeMm_.height(); }

    // The pixels of `areaPx` (full-resolution pixels) at no less than `scale` of the full
    // resolution. A picture held whole gives all of its pixels, without a copy.
    PictureRegion pixels(const QRect& areaPx, double scale,
                         const std::atomic_bool* cancel = nullptr) const {
        if (jpeg_)
            return jpeg_->decode(areaPx, scale, cancel);
        return PictureRegion{image_, QRectF(QPointF(0, 0), QSizeF(image_.size()))};
    }

    // Identifies the pixels: equal keys, equal pictures (copies share their data).
    qint64 key() const { return jpeg_ ? qint64(quintptr(jpeg_.get())) : image_.cacheKey(); }
    // What the picture holds in memory: the compressed bytes of a JPEG kept compressed, else the
    // pixels.
    qint64 memoryBytes() const { return jpeg_ ? jpeg_->bytes().size() : image_.sizeInBytes(); }

private:
    static QSizeF naturalSizeOf(QSize pixels) {
        return QSizeF(pixels.width() * Units::MmPerInch / Units::ScreenPixelsPerInch,
                      pixels.height() * Units::MmPerInch / Units::ScreenPixelsPerInch);
    }

    QImage image_;
    std::shared_ptr<const JpegSource> jpeg_;
    QSizeF naturalSizeMm_;
};
