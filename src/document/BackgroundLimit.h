#pragma once

#include "document/LabelContext.h"

// The shown part of the background must start on the picture. A gesture that takes it off (a
// drag past the edge, a document stored that way) says so once and puts it back at the picture's
// top-left corner, which is always accepted. A redraw never asks: it only draws.
namespace BackgroundLimit {

// Shows the limit message, then moves the shown part to the picture's corner (its size stays).
void reportAndReset(const LabelContext& context);

} // namespace BackgroundLimit
