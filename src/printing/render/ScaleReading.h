#pragma once

#include <QString>
#include <optional>

// A reading of the alignment sheet's scale as the user types it into the alignment dialog: a
// decimal number (an optional sign, digits with at most one decimal point) with blanks around it.
// The full-width digits, signs and point a Japanese input method gives, the minus sign and the
// ideographic space count as their plain forms. Anything after the number refuses the reading
// rather than being dropped: "-59,9" is not -59.
namespace ScaleReading {

struct Result {
    std::optional<double> value; // empty when the text is not one number
    QString leftover;            // what follows the number, as typed; empty when nothing does
};

Result read(const QString& text);

} // namespace ScaleReading
