#pragma once

#include "document/LabelDocument.h"

#include <QRectF>
#include <vector>

// Whether a text item's ink stays on the label's printable ring, between the frame's two guide
// circles: on a disc, ink inside the inner one lands on the hub and ink outside the outer one on
// the tray; on a sticker, the circles are its hole and its edge. Only the glyphs' outlines count,
// at the size the item prints: a line box that crosses a circle with no ink there is fine.
namespace DiscRangeCheck {

// How far an item's ink passes each guide circle, in millimetres (0 where it stays within).
struct Reach {
    double insideInnerMm = 0;  // how far the ink comes inside the inner circle (20 mm on a disc)
    double outsideOuterMm = 0; // how far the ink goes past the outer one (58 mm on a disc)
    QRectF inkMm;              // the ink's bounds on the label (empty for no ink)

    bool outOfRange() const { return insideInnerMm > 0 || outsideOuterMm > 0; }
};

struct Finding {
    int index = 0;
    Reach reach;
};

Reach itemReach(const TextItem& item, const DiscFrame& frame = DiscFrame::disc());

// The items of a document whose ink leaves the ring, in item order.
std::vector<Finding> check(const LabelDocument& document,
                           const DiscFrame& frame = DiscFrame::disc());

} // namespace DiscRangeCheck

// The same check for the screen, which asks on every redraw: an item's answer is kept until the
// item changes (or the frame does), so dragging the background costs nothing and moving one item
// measures one item.
class DiscRangeCache {
public:
    const std::vector<DiscRangeCheck::Finding>&
    findings(const LabelDocument& document, const DiscFrame& frame = DiscFrame::disc());

private:
    struct Slot {
        TextItem item;
        DiscRangeCheck::Reach reach;
    };
    DiscFrame frame_;
    std::vector<Slot> slots_;
    std::vector<DiscRangeCheck::Finding> findings_;
};
