#pragma once

#include "document/LabelDocument.h"

#include <cmath>

// The background scale step v (−100..100) shows base × 2^(−v/100) millimetres of the picture over
// the label's 122 mm: step 100 doubles the picture, step −100 halves it. The base is the side
// shown at step 0: the label's 122 mm after "open background", or whatever fitting the whole
// picture or opening a document set.
namespace BackgroundScale {

inline constexpr int MinStep = -100;
inline constexpr int MaxStep = 100;
inline constexpr double DefaultBaseMm = LabelSideMm;

inline float shownSideMm(int step, double baseMm = DefaultBaseMm) {
    return float(baseMm * std::pow(2.0, -step / 100.0));
}

// The base that makes a stored placement and step agree, so that zooming from an opened
// document continues from what it shows.
inline double baseFor(float shownWidthMm, int step) {
    const double base = shownWidthMm * std::pow(2.0, step / 100.0);
    return std::isfinite(base) && base > 0 ? base : DefaultBaseMm;
}

} // namespace BackgroundScale
