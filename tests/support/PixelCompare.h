#pragma once

#include <QImage>

// Comparing what was drawn against what the picture holds.
namespace PixelCompare {

// The area average of `image` over the rectangle [x0, x1) × [y0, y1) in its pixels, each
// pixel weighted by how much of it the rectangle covers.
QRgb areaAverage(const QImage& image, double x0, double y0, double x1, double y1);

// The largest difference of the three channels.
int difference(QRgb a, QRgb b);

} // namespace PixelCompare
