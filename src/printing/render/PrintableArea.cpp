#include "printing/render/PrintableArea.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace PrintableArea {

Overhang rectOverhang(const QSizeF& areaMm, const QRectF& rectMm) {
    if (!std::isfinite(rectMm.left()) || !std::isfinite(rectMm.top()) ||
        !std::isfinite(rectMm.right()) || !std::isfinite(rectMm.bottom())) {
        constexpr double everywhere = std::numeric_limits<double>::infinity();
        return Overhang{everywhere, everywhere, everywhere, everywhere};
    }
    return Overhang{std::max(0.0, -rectMm.left()), std::max(0.0, -rectMm.top()),
                    std::max(0.0, rectMm.right() - areaMm.width()),
                    std::max(0.0, rectMm.bottom() - areaMm.height())};
}

} // namespace PrintableArea
