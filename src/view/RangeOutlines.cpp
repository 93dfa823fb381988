#include "view/RangeOutlines.h"

#include "shapes/ItemShape.h"

#include <QPainter>

namespace RangeOutlines {

namespace {
// Kept a little away from the glyphs so that the outline does not hide their edges.
constexpr double MarginMm = 0.5;

// Around the ink of straight text; along the band of turned text or text along the disc.
QPainterPath outlineOf(const TextItem& item, const DiscRangeCheck::Finding& finding,
                       const Geometry& geometry) {
    QPainterPath mm;
    if (item.layout.isPlain())
        mm.addRect(finding.reach.inkMm.adjusted(-MarginMm, -MarginMm, MarginMm, MarginMm));
    else
        mm = ItemShape::of(item)->outlineMm();
    QTransform toUnits;
    toUnits.translate(geometry.origin.x(), geometry.origin.y());
    toUnits.scale(geometry.unitsPerMm, geometry.unitsPerMm);
    return toUnits.map(mm);
}
} // namespace

void draw(QPainter& painter, const Geometry& geometry, const LabelDocument& document,
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
            if (finding.index < document.itemCount())
                painter.drawPath(outlineOf(document.item(finding.index), finding, geometry));
        }
    }
    painter.restore();
}

} // namespace RangeOutlines
