#pragma once

#include "view/DiscRangeCheck.h"
#include "view/LabelRenderer.h"

#include <vector>

class QPainter;

// The screen's mark for text that would print onto the hub or the tray: a thin outline around the
// item's text, red dashes on white so that it shows on any picture. Drawn on the screen only,
// after the label itself.
namespace RangeOutlines {

void draw(QPainter& painter, const Geometry& geometry, const LabelDocument& document,
          const std::vector<DiscRangeCheck::Finding>& findings);

} // namespace RangeOutlines
