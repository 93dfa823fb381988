#pragma once

#include <QColor>
#include <cstdint>

// The sixteen colours a text item can take, by colour number.
namespace ColorTable {

constexpr int Count = 16;

QColor color(std::int32_t colorNumber);
bool isValid(std::int32_t colorNumber);

} // namespace ColorTable
