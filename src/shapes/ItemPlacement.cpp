#include "shapes/ItemPlacement.h"

#include "shapes/ItemFonts.h"
#include "shapes/ItemShape.h"

namespace ItemPlacement {

void measure(TextItem& item, double viewSidePx) {
    if (item.layout.kind == TextLayoutKind::Vertical) {
        const QRectF column = ItemShape::of(item)->columnMm();
        item.Width = float(column.width());
        item.Height = float(column.height());
        return;
    }
    const QSizeF extent = ItemFonts::measureText(item, viewSidePx);
    item.Width = float(extent.width());
    item.Height = float(extent.height());
    placeRecord(item);
}

void placeRecord(TextItem& item) {
    if (item.layout.kind != TextLayoutKind::Arc)
        return;
    const QPointF middle = ItemShape::of(item)->arcMiddleMm();
    item.Left = float(middle.x() - item.Width / 2.0);
    item.Top = float(middle.y() - item.Height / 2.0);
}

} // namespace ItemPlacement
