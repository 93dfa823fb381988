#include "editing/SizeRule.h"

#include <cmath>
#include <limits>

namespace SizeRule {

namespace {
bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// Halves go to the even neighbour; done by hand so that no rounding mode is assumed.
double roundHalfEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5)
        return lower + 1;
    if (fraction < 0.5)
        return lower;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}
} // namespace

double leadingNumber(const QString& text) {
    double value = 0;
    double scale = 1; // weight of the next digit after the point
    bool negative = false, signSeen = false, digitSeen = false, pointSeen = false;
    for (const QChar c : text) {
        if (isBlank(c))
            continue;
        if ((c == u'+' || c == u'-') && !signSeen && !digitSeen && !pointSeen) {
            signSeen = true;
            negative = c == u'-';
        } else if (c == u'.' && !pointSeen) {
            pointSeen = true;
        } else if (c >= u'0' && c <= u'9') {
            digitSeen = true;
            const int digit = c.unicode() - u'0';
            if (pointSeen) {
                scale /= 10;
                value += digit * scale;
            } else {
                value = value * 10 + digit;
            }
        } else {
            break;
        }
    }
    return negative ? -value : value;
}

std::int32_t sizePoints(const QString& text) {
    const double rounded = roundHalfEven(leadingNumber(text));
    constexpr double low = std::numeric_limits<std::int32_t>::min();
    constexpr double high = std::numeric_limits<std::int32_t>::max();
    if (!(rounded >= low)) // also catches NaN, which cannot occur but must not reach the cast
        return std::numeric_limits<std::int32_t>::min();
    if (rounded > high)
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(rounded);
}

} // namespace SizeRule
