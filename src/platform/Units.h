#pragma once

// Units the program converts between, each in one place.
namespace Units {
inline constexpr double MmPerInch = 25.4;
inline constexpr double PointsPerInch = 72.0;
inline constexpr double MmPerPoint = MmPerInch / PointsPerInch;
// Bitmaps without a resolution of their own, and the screen's usual resolution.
inline constexpr double ScreenPixelsPerInch = 96.0;
// Window sizes are kept in twips; the desktop has 15 of them to a pixel.
inline constexpr double TwipsPerPixel = 15.0;
} // namespace Units
