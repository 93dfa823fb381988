#pragma once

#include <cmath>

// The background scale step v (−100..100) shows 122 × 2^(−v/100) millimetres of the picture over
// the label's 122 mm: step 100 doubles the picture, step −100 halves it.
namespace BackgroundZoom {

inline constexpr int MinStep = -100;
inline constexpr int MaxStep = 100;

inline float shownSideMm(int step) { return float(122.0 * std::pow(2.0, -step / 100.0)); }

} // namespace BackgroundZoom
