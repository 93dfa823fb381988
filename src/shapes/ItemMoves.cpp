#include "shapes/ItemMoves.h"

#include "document/DiscFrame.h"
#include "shapes/ItemPlacement.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ItemMoves {

namespace {

// Degrees clockwise from 12 o'clock of a point about the disc's centre.
double angleOf(QPointF mm) {
    const QPointF d = mm - DiscFrame::CentreMm;
    return std::atan2(d.x(), -d.y()) * 180 / std::numbers::pi;
}

double distanceOf(QPointF mm) {
    const QPointF d = mm - DiscFrame::CentreMm;
    return std::hypot(d.x(), d.y());
}

// Into -180..180.
float wrapped(double degrees) {
    double angle = std::remainder(degrees, 360.0);
    if (angle < TextLayout::MinAngleDeg)
        angle += 360;
    return float(angle);
}

TextItem movedAlongArc(const TextItem& item, double angleDeltaDeg, double radiusDeltaMm) {
    TextItem result = item;
    result.layout.angleDeg = wrapped(item.layout.angleDeg + angleDeltaDeg);
    result.layout.radiusMm =
        float(std::clamp(item.layout.radiusMm + radiusDeltaMm, double(TextLayout::MinRadiusMm),
                         double(TextLayout::MaxRadiusMm)));
    ItemPlacement::placeRecord(result);
    return result;
}

// In the upper half of the disc "right" runs clockwise and "up" away from the centre; in the
// lower half the other way round.
bool inUpperHalf(const TextItem& item) {
    return std::abs(item.layout.angleDeg) <= 90;
}

} // namespace

TextItem dragged(const TextItem& item, QPointF pressMm, QPointF pointerMm) {
    if (item.layout.kind == TextLayoutKind::Arc)
        return movedAlongArc(item, angleOf(pointerMm) - angleOf(pressMm),
                             distanceOf(pointerMm) - distanceOf(pressMm));
    TextItem result = item;
    // In single precision, as the stored values are.
    result.Left = float(pointerMm.x()) - float(pressMm.x()) + item.Left;
    result.Top = float(pointerMm.y()) - float(pressMm.y()) + item.Top;
    return result;
}

TextItem nudged(const TextItem& item, float dxMm, float dyMm) {
    if (item.layout.kind == TextLayoutKind::Arc) {
        const double sign = inUpperHalf(item) ? 1 : -1;
        const double radius = std::max(double(item.layout.radiusMm), 1.0);
        return movedAlongArc(item, sign * dxMm / radius * 180 / std::numbers::pi, -sign * dyMm);
    }
    TextItem result = item;
    result.Left = item.Left + dxMm;
    result.Top = item.Top + dyMm;
    return result;
}

} // namespace ItemMoves
