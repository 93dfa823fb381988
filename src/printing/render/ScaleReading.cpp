#include "printing/render/ScaleReading.h"

#include <charconv>
#include <cmath>
#include <string>

namespace ScaleReading {

namespace {

// The plain form of a character the number may hold; 0 for any other.
char plain(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80)
        return char(u);
    if (u >= 0xFF10 && u <= 0xFF19) // full-width digits
        return char('0' + (u - 0xFF10));
    switch (u) {
    case 0xFF0B:
        return '+';
    case 0xFF0D: // full-width hyphen-minus
    case 0x2212: // minus sign
        return '-';
    case 0xFF0E:
        return '.';
    case 0x3000:
        return ' '; // ideographic space
    default:
        return 0;
    }
}

bool blank(QChar c) {
    const char p = plain(c);
    return p == ' ' || p == '\t';
}

bool digit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

Result read(const QString& text) {
    qsizetype at = 0;
    while (at < text.size() && blank(text[at]))
        ++at;
    std::string number;
    if (at < text.size() && (plain(text[at]) == '+' || plain(text[at]) == '-')) {
        if (plain(text[at]) == '-')
            number.push_back('-');
        ++at;
    }
    bool digits = false, point = false;
    for (; at < text.size(); ++at) {
        const char c = plain(text[at]);
        if (digit(c))
            digits = true;
        else if (c == '.' && !point)
            point = true;
        else
            break;
        number.push_back(c);
    }
    if (!digits)
        return Result{};
    double value = 0;
    const auto parsed = std::from_chars(number.data(), number.data() + number.size(), value);
    if (parsed.ec != std::errc() || !std::isfinite(value))
        return Result{};
    while (at < text.size() && blank(text[at]))
        ++at;
    qsizetype end = text.size();
    while (end > at && blank(text[end - 1]))
        --end;
    return Result{value, text.mid(at, end - at)};
}

} // namespace ScaleReading
