#include "printing/render/PrintRenderer.h"

#include <QPaintDevice>
#include <QPainter>

namespace PrintRenderer {

LabelRenderer::Geometry pageGeometry(const QPaintDevice& device, double leftMm, double topMm) {
    const double unitsPerMm = device.logicalDpiX() / 25.4;
    return LabelRenderer::Geometry{QPointF(leftMm * unitsPerMm, topMm * unitsPerMm), unitsPerMm,
                                   LabelRenderer::PrintMmPerPoint};
}

QPainterPath ringPath(const LabelRenderer::Geometry& geometry) {
    const QPointF centre = geometry.map(LabelSideMm / 2, LabelSideMm / 2);
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    for (const double radiusMm : {RingOuterRadiusMm, RingInnerRadiusMm}) {
        const double r = radiusMm * geometry.unitsPerMm;
        path.addEllipse(centre, r, r);
    }
    return path;
}

void drawLabel(QPainter& painter, const LabelRenderer::Geometry& geometry,
               const LabelDocument& document, const Picture& picture) {
    if (!picture.isEmpty()) {
        painter.save();
        painter.setClipPath(ringPath(geometry), Qt::IntersectClip);
        LabelRenderer::drawBackground(painter, geometry, document, picture);
        painter.restore();
    }
    // Text is not masked: it prints wherever it lies, inside or outside the disc.
    LabelRenderer::drawTextItems(painter, geometry, document);
}

} // namespace PrintRenderer
