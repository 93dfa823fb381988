#include "view/ViewGuideCircles.h"

#include "view/LabelRenderer.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

// The image under the painter when it draws unclipped at a uniform scale from the image's corner
// (1, or a high-density screen's device pixel ratio).
QImage* plainImage(QPainter& painter) {
    QPaintDevice* device = painter.device();
    const QTransform transform = painter.deviceTransform();
    if (!device || device->devType() != QInternal::Image || painter.hasClipping() ||
        transform.type() > QTransform::TxScale || transform.m11() != transform.m22() ||
        transform.m11() <= 0)
        return nullptr;
    auto* image = static_cast<QImage*>(device);
    const QImage::Format format = image->format();
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied
               ? image
               : nullptr;
}

} // namespace

void ViewGuideCircles::draw(QPainter& painter, double sidePx, const DiscFrame& frame,
                            DeviceRows rows) {
    QImage* target = plainImage(painter);
    const double scale = target ? painter.deviceTransform().m11() : 1.0;
    const int side = int(std::ceil(sidePx * scale));
    if (!target || side <= 0 || side > 16384) {
        painter.save();
        if (!rows.whole())
            painter.setClipRect(painter.deviceTransform().inverted().mapRect(
                                    QRectF(0, rows.first, side, rows.end - rows.first)),
                                Qt::IntersectClip);
        LabelRenderer::drawGuideCircles(painter, Geometry::screen(sidePx), frame);
        painter.restore();
        return;
    }
    if (sidePx != sidePx_ || scale != scale_ || !(frame == frame_)) {
        // The circles drawn once on black at the target's scale: every device pixel they invert
        // turns non-black.
        QImage mask(side, side, QImage::Format_RGB32);
        mask.fill(Qt::black);
        mask.setDevicePixelRatio(scale);
        QPainter maskPainter(&mask);
        LabelRenderer::drawGuideCircles(maskPainter, Geometry::screen(sidePx), frame);
        maskPainter.end();
        pixels_.clear();
        for (int y = 0; y < side; ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
            for (int x = 0; x < side; ++x)
                if (line[x] & 0x00FFFFFF)
                    pixels_.push_back(QPoint(x, y));
        }
        sidePx_ = sidePx;
        scale_ = scale;
        frame_ = frame;
    }
    const QRect bounds = target->rect();
    uchar* const bits = target->bits();
    const qsizetype stride = target->bytesPerLine();
    // The pixels are listed row by row.
    const auto first = std::lower_bound(pixels_.begin(), pixels_.end(), rows.first,
                                        [](const QPoint& pixel, int y) { return pixel.y() < y; });
    for (auto at = first; at != pixels_.end() && at->y() < rows.end; ++at) {
        const QPoint& pixel = *at;
        if (!bounds.contains(pixel))
            continue;
        reinterpret_cast<QRgb*>(bits + pixel.y() * stride)[pixel.x()] ^= 0x00FFFFFF;
    }
}
