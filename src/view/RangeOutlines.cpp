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
    painter.setBrush(Qt::NoBrush);
    // Red dashes over a white line: on a red picture the white shows, on a white one the red.
    QPen under(Qt::white, 0, Qt::SolidLine);
    under.setCosmetic(true);
    QPen dashes(Qt::red, 0, Qt::DashLine);
    dashes.setCosmetic(true);
    for (const QPen& pen : {under, dashes}) {
        painter.setPen(pen);
        for (const DiscRangeCheck::Finding& finding : findings) {
            const QRectF ink =
                finding.reach.inkMm.adjusted(-MarginMm, -MarginMm, MarginMm, MarginMm);
            painter.drawRect(QRectF(geometry.map(ink.left(), ink.top()),
                                    geometry.map(ink.right(), ink.bottom())));
        }
    }
    painter.restore();
}

} // namespace RangeOutlines
