#pragma once

#include "document/TextItem.h"

#include <QPointF>

// Where an item goes when it is dragged or moved with the arrow keys. Straight and vertical text
// moves its box. Text along the disc moves around the disc: its angle follows the pointer's angle
// about the centre and its radius the pointer's distance from it.
namespace ItemMoves {

// The item as a drag from `pressMm` to `pointerMm` leaves it: the point where it was grabbed
// stays under the pointer.
TextItem dragged(const TextItem& item, QPointF pressMm, QPointF pointerMm);

// The item moved by the arrow keys: by dx, dy millimetres; text along the disc along its circle
// (dx, measured at its radius) and across it (dy, away from the centre when it is at the top).
TextItem nudged(const TextItem& item, float dxMm, float dyMm);

} // namespace ItemMoves
