#include "document/SheetLayout.h"

namespace {
// A disc's centre hole (the picture ring stops well short of it, at the hub).
constexpr double DiscHoleDiameterMm = 15.0;
} // namespace

SheetLayout SheetLayout::discTray() {
    SheetLayout tray;
    tray.name = DiscTrayName;
    tray.outerDiameterMm = 2 * DiscFrame::disc().edgeRadiusMm;
    tray.holeDiameterMm = DiscHoleDiameterMm;
    tray.centresMm = {DiscFrame::CentreMm};
    return tray;
}

DiscFrame SheetLayout::frame() const {
    return isDiscTray() ? DiscFrame::disc()
                        : DiscFrame::sticker(outerDiameterMm / 2, holeDiameterMm / 2);
}

bool SheetLayout::isNamed(const QString& text) const {
    const QString wanted = text.trimmed();
    if (wanted.compare(name, Qt::CaseInsensitive) == 0)
        return true;
    for (const QString& alias : aliases)
        if (wanted.compare(alias, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}
