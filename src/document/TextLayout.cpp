#include "document/TextLayout.h"

#include <cmath>

namespace {
bool within(float value, float low, float high) {
    return value >= low && value <= high;
}
} // namespace

bool TextLayout::isValid() const {
    switch (kind) {
    case TextLayoutKind::Straight:
        return within(rotationDeg, MinRotationDeg, MaxRotationDeg);
    case TextLayoutKind::Arc:
        return within(radiusMm, MinRadiusMm, MaxRadiusMm) &&
               within(angleDeg, MinAngleDeg, MaxAngleDeg) &&
               within(spacingMm, MinSpacingMm, MaxSpacingMm);
    case TextLayoutKind::Vertical:
        return within(spacingMm, MinSpacingMm, MaxSpacingMm);
    }
    return false;
}

ArcSide TextLayout::resolvedSide() const {
    if (side != ArcSide::Auto)
        return side;
    return std::abs(angleDeg) <= 90 ? ArcSide::Outside : ArcSide::Inside;
}

TextLayout TextLayout::normalized() const {
    TextLayout result;
    result.kind = kind;
    switch (kind) {
    case TextLayoutKind::Straight:
        result.rotationDeg = rotationDeg;
        break;
    case TextLayoutKind::Arc:
        result.radiusMm = radiusMm;
        result.angleDeg = angleDeg;
        result.side = side;
        result.align = align;
        result.spacingMm = spacingMm;
        break;
    case TextLayoutKind::Vertical:
        result.spacingMm = spacingMm;
        result.uprightDigits = uprightDigits;
        break;
    }
    return result;
}
