#include "view/RangeOutlines.h"

#include <QPainter>

namespace RangeOutlines {

namespace {
// Kept a little away from the glyphs so that the outline does not hide their edges.
constexpr double MarginMm = 0.5;
} // namespace

void draw(QPainter& painter, const LabelRenderer::Geometry& geometry,
          const std::vector<DiscRangeCheck::Finding>& findings) {
    if (findings.empty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(Qt::red, 0, Qt::DashLine);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    for (const DiscRangeCheck::Finding& finding : findings) {
        const QRectF ink = finding.reach.inkMm.adjusted(-MarginMm, -MarginMm, MarginMm, MarginMm);
        painter.drawRect(QRectF(geometry.map(ink.left(), ink.top()),
                                geometry.map(ink.right(), ink.bottom())));
    }
    painter.restore();
}

} // namespace RangeOutlines
