#pragma once

#include "document/TextItem.h"

// The straight placement an item's record keeps (Left, Top, Width, Height). Straight text is
// measured as the view measures a text typed into it. Text along the disc keeps the same extent,
// centred on the middle of the arc, so that a reader of the records alone shows it straight about
// where the arc is. A vertical column keeps its box: Left and Top place it, Width and Height are
// its extent.
namespace ItemPlacement {

// Measures the item's text for a view of viewSidePx and places its record.
void measure(TextItem& item, double viewSidePx);
// Places the record of text along the disc after its arc moved (its extent stays); others keep
// theirs.
void placeRecord(TextItem& item);

} // namespace ItemPlacement
