#include "document/ColorTable.h"

#include <array>

namespace ColorTable {

namespace {
constexpr std::array<std::array<int, 3>, Count> Rgb = {{
    {0, 0, 0},
    {0, 0, 128},
    {0, 128, 0},
    {0, 128, 128},
    {128, 0, 0},
    {128, 0, 128},
    {128, 128, 0},
    {192, 192, 192},
    {128, 128, 128},
    {0, 0, 255},
    {0, 255, 0},
    {0, 255, 255},
    {255, 0, 0},
    {255, 0, 255},
    {255, 255, 0},
    {255, 255, 255},
}};
} // namespace

bool isValid(std::int32_t colorNumber) { return colorNumber >= 0 && colorNumber < Count; }

// A colour number that a damaged file brings in is drawn black rather than refused, so the
// item stays visible and editable.
QColor color(std::int32_t colorNumber) {
    if (!isValid(colorNumber))
        return QColor(0, 0, 0);
    const auto& rgb = Rgb[static_cast<std::size_t>(colorNumber)];
    return QColor(rgb[0], rgb[1], rgb[2]);
}

} // namespace ColorTable
