// The size box's number rule on any text: never crashes, always a 32-bit whole number, blind to
// leading blanks, and exact for every whole number written plainly.
#include "editing/SizeRule.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::int32_t points = SizeRule::sizePoints(text);
    if (SizeRule::sizePoints(QStringLiteral("  ") + text) != points)
        std::abort();
    if (size >= 4) {
        std::int32_t value = 0;
        std::memcpy(&value, data, sizeof value);
        if (SizeRule::sizePoints(QString::number(value)) != value)
            std::abort();
    }
    return 0;
}
