#pragma once

#include "document/TextItem.h"
#include "document/TextStyle.h"

#include <QStringList>
#include <cstdint>
#include <vector>

// A track list's lines laid out as text items on the label.
namespace TrackPlacement {

enum class Layout {
    OneColumn,  // one column right of the hub, as a hand-made list is placed
    TwoColumns, // the first half left of the hub, the rest right of it
    Arc,        // one line per circle along the disc, from the outer ring inward
};

// The title's size: twice the lines', within what the size box takes.
std::int32_t titleSizePoints(std::int32_t lineSizePoints);

// One measured text item per line, the title's first when there is one (centred across the top of
// the disc). Lines are stacked at 1.4 times the tallest line's height, the block centred down the
// disc and kept below the title; columns keep 1 mm from the hub's guide circle. Measured for a
// view of viewSidePx as the editor measures typed text. Nothing for a layout not available.
std::vector<TextItem> place(const QStringList& lines, const QString& title, Layout layout,
                            const TextStyle& style, double viewSidePx);

} // namespace TrackPlacement
