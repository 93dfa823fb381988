#pragma once

#include "platform/pictures/PictureRegion.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <atomic>
#include <memory>

// A JPEG kept compressed. Only the part of it that is shown is decoded, at the smallest of the
// decoder's eighth scales that still has the pixels asked for, and area-reduced to the scale asked
// for while it is read, so a photo of any size costs its compressed bytes plus the pixels of one
// view or one printed page. Decoding reads the shared, never-changed bytes, so it may run on any
// thread.
class JpegSource {
public:
    // A baseline JPEG with one scan (what cameras and phones write), in colours the decoder turns
    // into RGB. Anything else is left to the whole-image path; `reason` says why.
    static std::shared_ptr<const JpegSource> open(const QByteArray& bytes, QString* reason);

    QSize size() const { return size_; }
    const QByteArray& bytes() const { return bytes_; }

    // The pixels of `areaPx` (clipped to the picture, widened to the decoder's blocks) at `scale`
    // of the full resolution (at most 1, rounded to whole pixels) in each direction, opaque
    // 32-bit. Empty when decoding fails or `cancel` becomes true on the way.
    PictureRegion decode(const QRect& areaPx, double scale,
                         const std::atomic_bool* cancel = nullptr) const;

private:
    JpegSource(QByteArray bytes, QSize size) : bytes_(std::move(bytes)), size_(size) {}

    QByteArray bytes_;
    QSize size_;
};
