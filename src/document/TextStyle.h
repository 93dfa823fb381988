#pragma once

#include <QString>
#include <cstdint>

// How a text item looks: its font, its size in points and its colour number.
struct TextStyle {
    QString fontName;
    std::int32_t sizePoints = 10;
    std::int32_t color = 0;

    bool operator==(const TextStyle&) const = default;
};
