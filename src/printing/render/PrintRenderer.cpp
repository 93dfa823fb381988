#include "printing/render/PrintRenderer.h"

#include <QPaintDevice>
#include <QPainter>
#include <cmath>

namespace PrintRenderer {

namespace {

// The whole picture, placed so that its shown rectangle covers the label square, cut to the
// square.
void drawWholePicture(QPainter& painter, const Geometry& geometry, const LabelDocument& document,
                      const Picture& picture) {
    const double left = document.BackLeft, top = document.BackTop;
    const double width = document.BackWidth, height = document.BackHeight;
    if (!std::isfinite(left) || !std::isfinite(top) || !(width > 0) || !(height > 0) ||
        !std::isfinite(width) || !std::isfinite(height))
        return;
    const QSizeF natural = picture.naturalSizeMm();
    const double scaleX = LabelSideMm / width, scaleY = LabelSideMm / height;
    const QRectF target(
        geometry.map(-left * scaleX, -top * scaleY),
        geometry.map((natural.width() - left) * scaleX, (natural.height() - top) * scaleY));
    painter.setClipRect(QRectF(geometry.map(0, 0), geometry.map(LabelSideMm, LabelSideMm)),
                        Qt::IntersectClip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, picture.image());
}

} // namespace

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

void drawLabel(QPainter& painter, const Geometry& geometry, const LabelDocument& document,
               const Picture& picture, PictureUse use, const DiscFrame& frame) {
    if (!picture.isEmpty()) {
        painter.save();
        painter.setClipPath(ringPath(geometry, frame), Qt::IntersectClip);
        if (use == PictureUse::WholePicture)
            drawWholePicture(painter, geometry, document, picture);
        else
            LabelRenderer::drawBackground(painter, geometry, document, picture);
        painter.restore();
    }
    // Text is not masked: it prints wherever it lies, inside or outside the disc.
    LabelRenderer::drawTextItems(painter, geometry, document);
}

} // namespace PrintRenderer
