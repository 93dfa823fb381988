#include "shapes/Centring.h"

#include "document/DiscFrame.h"
#include "shapes/ItemPlacement.h"
#include "shapes/ItemShape.h"

namespace Centring {

bool canCentre(const TextItem& item, CentreAxis axis) {
    return !(item.layout.kind == TextLayoutKind::Arc && axis == CentreAxis::Down);
}

TextItem centred(const TextItem& item, CentreAxis axis) {
    TextItem result = item;
    if (!canCentre(item, axis))
        return result;
    if (item.layout.kind == TextLayoutKind::Arc) {
        const bool outside = item.layout.resolvedSide() == ArcSide::Outside;
        result.layout.angleDeg = outside ? 0 : 180;
        result.layout.align = ArcAlign::Centre;
        ItemPlacement::placeRecord(result);
        return result;
    }
    if (item.layout.isPlain()) {
        if (axis == CentreAxis::Across)
            result.Left = (LabelSideMm - item.Width) / 2;
        else
            result.Top = (LabelSideMm - item.Height) / 2;
        return result;
    }
    const QRectF ink = ItemShape::of(item)->inkMm().boundingRect();
    if (ink.isEmpty())
        return result;
    if (axis == CentreAxis::Across)
        result.Left = float(item.Left + DiscFrame::CentreMm.x() - ink.center().x());
    else
        result.Top = float(item.Top + DiscFrame::CentreMm.y() - ink.center().y());
    return result;
}

} // namespace Centring
