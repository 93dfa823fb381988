#include "printing/render/PrintRenderer.h"

#include <QPaintDevice>
#include <QPainter>
#include <cmath>

namespace PrintRenderer {

QPainterPath ringPath(const Geometry& geometry, const DiscFrame& frame) {
    const QPointF centre = geometry.map(DiscFrame::CentreMm.x(), DiscFrame::CentreMm.y());
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    for (const double radiusMm : {frame.ringOuterRadiusMm, frame.ringInnerRadiusMm}) {
        const double r = radiusMm * geometry.unitsPerMm;
        path.addEllipse(centre, r, r);
    }
    return path;
}

const ShownPixels::Placed& SharedBackground::pixelsFor(const QPainter& painter,
                                                       const Geometry& geometry,
                                                       const LabelDocument& document) {
    const QRectF shown = LabelRenderer::shownMm(document);
    const QSizeF resolution = LabelRenderer::devicePxPerPictureMm(
        painter, geometry, document, LabelRenderer::MaxOutputPixelsPerMm);
    if (pixels_.image.isNull() || shown != shownMm_ || resolution != resolution_) {
        pixels_ = LabelRenderer::backgroundPixels(painter, geometry, document, picture_);
        shownMm_ = shown;
        resolution_ = resolution;
    }
    return pixels_;
}

namespace {

// The frame's ring clipping whatever draws the background.
template <typename Draw>
void onTheRing(QPainter& painter, const Geometry& geometry, const DiscFrame& frame, Draw draw) {
    painter.save();
    painter.setClipPath(ringPath(geometry, frame), Qt::IntersectClip);
    draw();
    painter.restore();
}

} // namespace

void drawLabel(QPainter& painter, const Geometry& geometry, const LabelDocument& document,
               const Picture& picture, const DiscFrame& frame) {
    if (!picture.isEmpty())
        onTheRing(painter, geometry, frame,
                  [&] { LabelRenderer::drawBackground(painter, geometry, document, picture); });
    // Text is not masked: it prints wherever it lies, inside or outside the disc.
    LabelRenderer::drawTextItems(painter, geometry, document);
}

void drawLabel(QPainter& painter, const Geometry& geometry, const LabelDocument& document,
               SharedBackground& background, const DiscFrame& frame) {
    if (!background.picture().isEmpty())
        onTheRing(painter, geometry, frame, [&] {
            LabelRenderer::drawWholePixels(painter, geometry, document,
                                           background.pixelsFor(painter, geometry, document));
        });
    LabelRenderer::drawTextItems(painter, geometry, document);
}

} // namespace PrintRenderer
