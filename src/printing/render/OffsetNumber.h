#pragma once

#include <QString>
#include <optional>

// The printer offset as the print position dialog types it and the settings store keeps it.
namespace OffsetNumber {

// The number at the start of a box's text: blanks, tabs and line feeds are ignored wherever they
// stand; then an optional sign, digits with at most one decimal point and an optional exponent
// (E or D, optional sign, digits), read up to the first character that cannot continue it; or
// &H / &O followed by a hexadecimal or octal whole number. A text without a number gives 0. The
// result can be infinite when the exponent is huge.
double leadingNumber(const QString& text);

// Plain decimal notation with "." and no exponent, the shortest text that reads back to the same
// double ("1.5", "-3", "0.5", "0"). Negative zero is written "0". Empty for a non-finite value.
QString format(double value);

// Offsets beyond a metre cannot be meant for any page; printing refuses them.
inline constexpr double MaxOffsetMm = 1000.0;

// A stored offset as printing reads it: the whole text (surrounding blanks allowed) must be one
// number by the rule above, finite as a single-precision value and within ±MaxOffsetMm.
std::optional<float> parseStored(const QString& text);

} // namespace OffsetNumber
