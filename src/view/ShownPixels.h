#pragma once

#include "platform/pictures/Picture.h"

#include <QRectF>
#include <atomic>
#include <functional>

// The pixels of the part of a picture that a view or a page shows, at the resolution it shows
// them: decoded at the smallest scale that has that many pixels, then area-averaged down to it,
// so the result is as sharp as an area-averaged reduction of the full picture.
namespace ShownPixels {

// The full-resolution pixels covering `shownMm` (millimetres of the natural size), within the
// picture.
QRect areaOf(const Picture& picture, const QRectF& shownMm);

// `area` grown by half its size on every side, within the picture: room to drag before more
// has to be decoded.
QRect withMargin(const Picture& picture, const QRect& area);

// The pixels of `area` at `scaleX` × `scaleY` of the full resolution (each at most 1). Empty when
// decoding fails or is cancelled.
PictureRegion make(const Picture& picture, const QRect& area, double scaleX, double scaleY,
                   const std::atomic_bool* cancel = nullptr);

// The same pixels handed to `band` a band of rows at a time as they are decoded (a picture held
// whole: in one band); false when decoding fails.
bool makeInBands(const Picture& picture, const QRect& area, double scaleX, double scaleY,
                 int bandRows, const std::function<void(const PictureRegion&)>& band);

// The pixels of `region` reduced to `scaleX` × `scaleY` of the full resolution (each less than the
// region's own) on the grid a decode at that scale has, for as much of it as the region covers;
// the region's pixels are area-averaged again, so the result is a little softer than a decode.
PictureRegion reduced(const PictureRegion& region, double scaleX, double scaleY);

// Whether `region` covers `area` at `scaleX` × `scaleY` (to the pixel).
bool satisfies(const PictureRegion& region, const QRect& area, double scaleX, double scaleY);

// Pixels placed on the picture's natural size: `image` covers `extentMm` with `pixelsPerMmX` ×
// `pixelsPerMmY` of its pixels to a millimetre. What the drawing functions take.
struct Placed {
    QImage image;
    double pixelsPerMmX = 1;
    double pixelsPerMmY = 1;
    QRectF extentMm;
};
Placed placed(const Picture& picture, const PictureRegion& region);

} // namespace ShownPixels
