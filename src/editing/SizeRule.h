#pragma once

#include <QString>
#include <cstdint>

// How a typed size becomes a whole number of points: the decimal number at the start of the
// text (blanks ignored; optional sign, digits, one decimal point; no number gives 0), rounded to
// the nearest integer with halves going to the even neighbour.
namespace SizeRule {

// Sizes below this are replaced by DefaultSizeText when the dialog is confirmed.
inline constexpr std::int32_t MinimumSizePoints = 5;
inline constexpr char DefaultSizeText[] = "40";

// The leading number of the text, unrounded.
double leadingNumber(const QString& text);

// The size in points. Values beyond the 32-bit range are held at its ends.
std::int32_t sizePoints(const QString& text);

} // namespace SizeRule
