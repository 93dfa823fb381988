// The number rule of the print position boxes on arbitrary text. Besides crashes and undefined
// behaviour it checks that whatever number a text gives is written so that it reads back to the
// same value, both by the boxes' rule and by printing's stricter reading.
#include "FuzzRequire.h"
#include "printing/render/OffsetNumber.h"

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const double value = OffsetNumber::leadingNumber(text);
    const QString written = OffsetNumber::format(value);
    if (!std::isfinite(value)) {
        require(written.isEmpty());
    } else {
        require(!written.isEmpty());
        require(!written.contains(u'e') && !written.contains(u'E'));
        require(OffsetNumber::leadingNumber(written) == value);
        const std::optional<float> stored = OffsetNumber::parseStored(written);
        if (std::abs(value) <= OffsetNumber::MaxOffsetMm)
            require(stored && *stored == float(value));
        else
            require(!stored);
    }
    // Printing's reading accepts only what is wholly a number, and never more than a metre.
    if (const std::optional<float> parsed = OffsetNumber::parseStored(text))
        require(std::abs(*parsed) <= OffsetNumber::MaxOffsetMm);
    return 0;
}
