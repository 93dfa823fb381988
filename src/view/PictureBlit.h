#pragma once

#include "view/DeviceRows.h"

#include <QImage>
#include <QRectF>

class QPainter;

// Enlarging an opaque picture onto the screen image with square pixels, written for the view's
// redraw during a drag: each picture row is scaled once and repeated rows are copied. Returns
// false (drawing nothing) where it does not apply: a painter that is not on a plain 32-bit image,
// a transform other than a translation and scaling (a high-density screen's image), clipping, or
// a picture with transparency. Only the device rows of `band` are written.
namespace PictureBlit {

bool enlargeNearest(QPainter& painter, const QRectF& target, const QImage& image,
                    const QRectF& source, DeviceRows band = {});

} // namespace PictureBlit
