#pragma once

#include "platform/Units.h"

#include "platform/pictures/PictureLimits.h"

#include <QImage>
#include <QSizeF>
#include <algorithm>
#include <cmath>

// The bitmap a metafile is drawn into: print resolution, fewer dots for very large drawings so
// the pixel budget holds, never a side beyond what the painter handles.
namespace MetafileRaster {

inline QSize sizeFor(QSizeF naturalMm, qint64 maxPixels) {
    const double widthIn = naturalMm.width() / Units::MmPerInch, heightIn = naturalMm.height() / Units::MmPerInch;
    if (!(widthIn > 0) || !(heightIn > 0) || !std::isfinite(widthIn * heightIn))
        return {};
    double dpi = PictureLimits::MetafileDotsPerInch;
    dpi = std::min(dpi, std::sqrt(double(maxPixels) / (widthIn * heightIn)));
    const double side = PictureLimits::MaxMetafileSidePx;
    dpi = std::min({dpi, side / widthIn, side / heightIn});
    const int width =
        std::clamp(int(std::lround(widthIn * dpi)), 1, PictureLimits::MaxMetafileSidePx);
    const int height =
        std::clamp(int(std::lround(heightIn * dpi)), 1, PictureLimits::MaxMetafileSidePx);
    return {width, height};
}

// A transparent canvas: the label's colour shows where the drawing leaves gaps.
inline QImage canvas(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (!image.isNull())
        image.fill(Qt::transparent);
    return image;
}

} // namespace MetafileRaster
