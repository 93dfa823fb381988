#pragma once

#include "document/LabelDocument.h"

// Which item lies under a point of the label (millimetres), by the items' shapes.
namespace ItemHits {

// The lowest index (a left press picks it) or the highest (the one drawn on top, which a right
// press picks); -1 when none.
int lowestItemAt(const LabelDocument& document, float x, float y);
int highestItemAt(const LabelDocument& document, float x, float y);

} // namespace ItemHits
