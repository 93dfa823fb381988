#include "view/DiscRangeCheck.h"

#include "shapes/ItemShape.h"

#include <QPainterPath>
#include <QTransform>
#include <algorithm>
#include <cmath>

namespace DiscRangeCheck {

namespace {

constexpr QPointF DiscCentreMm = DiscFrame::CentreMm;

double distanceToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF ab = b - a;
    const double lengthSquared = QPointF::dotProduct(ab, ab);
    double t = lengthSquared > 0 ? QPointF::dotProduct(p - a, ab) / lengthSquared : 0;
    t = std::clamp(t, 0.0, 1.0);
    const QPointF closest = a + t * ab;
    return std::hypot(p.x() - closest.x(), p.y() - closest.y());
}

} // namespace

Reach itemReach(const TextItem& item, const DiscFrame& frame) {
    const QPainterPath& path = ItemShape::of(item)->inkMm();
    Reach reach;
    if (path.isEmpty())
        return reach;
    reach.inkMm = path.boundingRect();
    double nearest = std::numeric_limits<double>::max(), farthest = 0;
    // The farthest ink is always at an outline's vertex; the nearest may lie along an edge, or
    // be the centre itself when a glyph covers it.
    for (const QPolygonF& polygon : path.toSubpathPolygons()) {
        for (qsizetype i = 0; i < polygon.size(); ++i) {
            const QPointF a = polygon[i], b = polygon[(i + 1) % polygon.size()];
            farthest =
                std::max(farthest, std::hypot(a.x() - DiscCentreMm.x(), a.y() - DiscCentreMm.y()));
            nearest = std::min(nearest, distanceToSegment(DiscCentreMm, a, b));
        }
    }
    if (path.contains(DiscCentreMm))
        nearest = 0;
    reach.insideInnerMm = std::max(0.0, frame.innerGuideRadiusMm - nearest);
    reach.outsideOuterMm = std::max(0.0, farthest - frame.outerGuideRadiusMm);
    return reach;
}

std::vector<Finding> check(const LabelDocument& document, const DiscFrame& frame) {
    std::vector<Finding> findings;
    for (int i = 0; i < document.itemCount(); ++i)
        if (const Reach reach = itemReach(document.item(i), frame); reach.outOfRange())
            findings.push_back(Finding{i, reach});
    return findings;
}

} // namespace DiscRangeCheck

const std::vector<DiscRangeCheck::Finding>& DiscRangeCache::findings(const LabelDocument& document,
                                                                     const DiscFrame& frame) {
    if (!(frame == frame_)) {
        frame_ = frame;
        slots_.clear();
    }
    const int count = document.itemCount();
    slots_.resize(std::size_t(count));
    findings_.clear();
    for (int i = 0; i < count; ++i) {
        Slot& slot = slots_[std::size_t(i)];
        const TextItem& item = document.item(i);
        // A default slot holds no text, which measures as no ink: it never needs a first fill.
        if (!(slot.item == item)) {
            slot.item = item;
            slot.reach = DiscRangeCheck::itemReach(item, frame);
        }
        if (slot.reach.outOfRange())
            findings_.push_back(DiscRangeCheck::Finding{i, slot.reach});
    }
    return findings_;
}
