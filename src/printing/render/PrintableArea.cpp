#include "printing/render/PrintableArea.h"

#include "document/DiscFrame.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace PrintableArea {

Overhang labelOverhang(const QSizeF& areaMm, double leftMm, double topMm) {
    if (!std::isfinite(leftMm) || !std::isfinite(topMm)) {
        constexpr double everywhere = std::numeric_limits<double>::infinity();
        return Overhang{everywhere, everywhere, everywhere, everywhere};
    }
    return Overhang{std::max(0.0, -leftMm), std::max(0.0, -topMm),
                    std::max(0.0, leftMm + LabelSideMm - areaMm.width()),
                    std::max(0.0, topMm + LabelSideMm - areaMm.height())};
}

} // namespace PrintableArea
