#include "view/ViewGuideCircles.h"

#include "view/LabelRenderer.h"

#include <QImage>
#include <QPainter>
#include <cmath>

namespace {

QImage* plainImage(QPainter& painter) {
    QPaintDevice* device = painter.device();
    if (!device || device->devType() != QInternal::Image || painter.hasClipping() ||
        painter.deviceTransform().type() != QTransform::TxNone)
        return nullptr;
    auto* image = static_cast<QImage*>(device);
    const QImage::Format format = image->format();
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied
               ? image
               : nullptr;
}

} // namespace

void ViewGuideCircles::draw(QPainter& painter, double sidePx) {
    QImage* target = plainImage(painter);
    const int side = int(std::ceil(sidePx));
    if (!target || side <= 0 || side > 16384) {
        LabelRenderer::drawGuideCircles(painter, LabelRenderer::screenGeometry(sidePx));
        return;
    }
    if (sidePx != sidePx_) {
        // The circles drawn once on black: every pixel they invert turns non-black.
        QImage mask(side, side, QImage::Format_RGB32);
        mask.fill(Qt::black);
        QPainter maskPainter(&mask);
        LabelRenderer::drawGuideCircles(maskPainter, LabelRenderer::screenGeometry(sidePx));
        maskPainter.end();
        pixels_.clear();
        for (int y = 0; y < side; ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
            for (int x = 0; x < side; ++x)
                if (line[x] & 0x00FFFFFF)
                    pixels_.push_back(QPoint(x, y));
        }
        sidePx_ = sidePx;
    }
    const QRect bounds = target->rect();
    for (const QPoint& pixel : pixels_) {
        if (!bounds.contains(pixel))
            continue;
        QRgb* line = reinterpret_cast<QRgb*>(target->scanLine(pixel.y()));
        line[pixel.x()] ^= 0x00FFFFFF;
    }
}
