#include "printing/render/OffsetNumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace OffsetNumber {

namespace {

// What one pass over a text found.
struct Scan {
    double value = 0;
    bool hasDigits = false;   // a number was there at all
    bool consumedAll = false; // nothing but the number (and ignored blanks) was in the text
};

bool ignored(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

std::string withoutIgnored(const QString& text) {
    std::string out;
    out.reserve(std::size_t(text.size()));
    for (const QChar c : text) {
        if (ignored(c))
            continue;
        // The typographic minus reads as a minus; anything else outside ASCII ends the number.
        if (c == QChar(0x2212))
            out.push_back('-');
        else
            out.push_back(c.unicode() < 0x80 ? char(c.unicode()) : '\x7f');
    }
    return out;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int digitValue(char c, int radix) {
    int v = -1;
    if (isDigit(c))
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < radix ? v : -1;
}

// "&H1F", "&O17": a whole number in that radix, as many digits as follow.
Scan scanRadix(const std::string& s, int radix) {
    Scan scan;
    std::size_t i = 2;
    for (; i < s.size(); ++i) {
        const int digit = digitValue(s[i], radix);
        if (digit < 0)
            break;
        scan.value = scan.value * radix + digit;
        scan.hasDigits = true;
    }
    scan.consumedAll = scan.hasDigits && i == s.size();
    return scan;
}

// The decimal significand and exponent, split so that from_chars (locale-free) can read them.
struct DecimalParts {
    bool negative = false;
    std::string significand; // digits and at most one point
    long long exponent = 0;  // saturated far beyond any double's range
    bool hasDigits = false;
    std::size_t end = 0; // index after the last character that belongs to the number
};

DecimalParts splitDecimal(const std::string& s) {
    DecimalParts parts;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        parts.negative = s[i++] == '-';
    bool point = false;
    for (; i < s.size(); ++i) {
        if (isDigit(s[i]))
            parts.hasDigits = true;
        else if (s[i] == '.' && !point)
            point = true;
        else
            break;
        parts.significand.push_back(s[i]);
    }
    parts.end = i;
    if (!parts.hasDigits || i >= s.size() || !std::strchr("EeDd", s[i]))
        return parts;
    std::size_t j = i + 1;
    bool negativeExponent = false;
    if (j < s.size() && (s[j] == '+' || s[j] == '-'))
        negativeExponent = s[j++] == '-';
    const std::size_t digitsStart = j;
    for (; j < s.size() && isDigit(s[j]); ++j)
        parts.exponent = std::min(parts.exponent * 10 + (s[j] - '0'), 1'000'000LL);
    if (j == digitsStart) // "1E" and "1E+" end before the E
        return parts;
    if (negativeExponent)
        parts.exponent = -parts.exponent;
    parts.end = j;
    return parts;
}

// The decimal order of magnitude, to tell an overflow from an underflow.
long long orderOfMagnitude(const DecimalParts& parts) {
    long long order = 0;
    bool seenNonZero = false, afterPoint = false;
    for (const char c : parts.significand) {
        if (c == '.') {
            afterPoint = true;
        } else if (c != '0' || seenNonZero) {
            if (!seenNonZero && afterPoint)
                break;
            seenNonZero = true;
            if (!afterPoint)
                ++order;
        } else if (afterPoint) {
            --order;
        }
    }
    return order + parts.exponent;
}

double decimalValue(const DecimalParts& parts) {
    std::string text = parts.significand + "e" + std::to_string(parts.exponent);
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        value = orderOfMagnitude(parts) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return parts.negative ? -value : value;
}

Scan scan(const QString& text) {
    const std::string s = withoutIgnored(text);
    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h'))
        return scanRadix(s, 16);
    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'O' || s[1] == 'o'))
        return scanRadix(s, 8);
    const DecimalParts parts = splitDecimal(s);
    Scan result;
    result.hasDigits = parts.hasDigits;
    result.consumedAll = parts.hasDigits && parts.end == s.size();
    if (parts.hasDigits)
        result.value = decimalValue(parts);
    return result;
}

} // namespace

double leadingNumber(const QString& text) {
    return scan(text).value;
}

QString format(double value) {
    if (!std::isfinite(value))
        return QString();
    if (value == 0)
        return QStringLiteral("0");
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (result.ec != std::errc())
        return QString();
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

std::optional<float> parseStored(const QString& text) {
    const Scan result = scan(text.trimmed());
    if (!result.consumedAll || !std::isfinite(result.value) || std::abs(result.value) > MaxOffsetMm)
        return std::nullopt;
    return float(result.value);
}

} // namespace OffsetNumber
