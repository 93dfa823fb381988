#pragma once

#include "platform/pictures/PictureRegion.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

// A JPEG kept compressed. Only the part of it that is shown is decoded, at the smallest of the
// decoder's fast scales (1/8, 1/4, 1/2, 1) that still has the pixels asked for, and area-reduced
// to the size asked for while it is read, so a photo of any size costs its compressed bytes plus
// the pixels of one view or one printed page. Decoding reads the shared, never-changed bytes, so
// it may run on any thread.
class JpegSource {
public:
    // A baseline JPEG with one scan (what cameras and phones write), in colours the decoder turns
    // into RGB. Anything else is left to the whole-image path; `reason` says why.
    static std::shared_ptr<const JpegSource> open(const QByteArray& bytes, QString* reason);

    QSize size() const { return size_; }
    const QByteArray& bytes() const { return bytes_; }

    // The pixels of `areaPx` (clipped to the picture, widened to the decoder's blocks) at
    // `scaleX` × `scaleY` of the full resolution (each at most 1, rounded to whole pixels),
    // opaque 32-bit. Empty when decoding fails or `cancel` becomes true on the way.
    PictureRegion decode(const QRect& areaPx, double scaleX, double scaleY,
                         const std::atomic_bool* cancel = nullptr) const;
    PictureRegion decode(const QRect& areaPx, double scale,
                         const std::atomic_bool* cancel = nullptr) const {
        return decode(areaPx, scale, scale, cancel);
    }

    // The same pixels handed to `band` in bands of `bandRows` rows, top to bottom, as they are
    // decoded, so that no more than one band is ever held. Each band after the first begins with
    // the last row of the one before: bands drawn edge to edge then leave no seam where a viewer
    // smooths the edges of images. False when decoding fails part way (some bands may have gone).
    using Band = std::function<void(const PictureRegion&)>;
    bool decodeInBands(const QRect& areaPx, double scaleX, double scaleY, int bandRows,
                       const Band& band) const;

    // The thumbnail the camera stored in the EXIF block, decoded; null when there is none, or
    // when its shape is not the photo's (a photo cropped or turned after it was taken).
    QImage thumbnail() const;

private:
    JpegSource(QByteArray bytes, QSize size) : bytes_(std::move(bytes)), size_(size) {}

    QByteArray bytes_;
    QSize size_;
};
