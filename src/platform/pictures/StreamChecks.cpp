#include "platform/pictures/StreamChecks.h"

#include <cstdint>
#include <cstring>

namespace StreamChecks {

namespace {

std::uint8_t at(QByteArrayView bytes, qsizetype i) {
    return std::uint8_t(bytes[i]);
}

// The position of the marker that ends entropy-coded data starting at `from`: a 0xFF that is
// neither a stuffed zero nor a restart marker. -1 when the data runs out first.
qsizetype endOfScan(QByteArrayView bytes, qsizetype from) {
    const char* data = bytes.data();
    qsizetype i = from;
    while (i < bytes.size()) {
        const void* hit = std::memchr(data + i, 0xFF, size_t(bytes.size() - i));
        if (!hit)
            return -1;
        i = static_cast<const char*>(hit) - data;
        qsizetype next = i + 1;
        while (next < bytes.size() && at(bytes, next) == 0xFF) // fill bytes
            ++next;
        if (next >= bytes.size())
            return -1;
        const std::uint8_t code = at(bytes, next);
        if (code != 0x00 && (code < 0xD0 || code > 0xD7))
            return next - 1;
        i = next + 1;
    }
    return -1;
}

// Skips a GIF's data sub-blocks from `pos`; returns the position after the terminator or -1.
qsizetype skipSubBlocks(QByteArrayView bytes, qsizetype pos) {
    while (pos < bytes.size()) {
        const int length = at(bytes, pos);
        pos += 1 + length;
        if (length == 0)
            return pos;
    }
    return -1;
}

qsizetype colourTableBytes(std::uint8_t flags) {
    return (flags & 0x80) ? 3 * (qsizetype(1) << ((flags & 0x07) + 1)) : 0;
}

} // namespace

bool jpegComplete(QByteArrayView bytes) {
    if (bytes.size() < 4 || at(bytes, 0) != 0xFF || at(bytes, 1) != 0xD8)
        return false;
    qsizetype pos = 2;
    while (pos + 1 < bytes.size()) {
        if (at(bytes, pos) != 0xFF) { // stray bytes between segments: the decoder skips them
            ++pos;
            continue;
        }
        const std::uint8_t marker = at(bytes, pos + 1);
        if (marker == 0xD9)
            return true;
        if (marker == 0xFF || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            pos += marker == 0xFF ? 1 : 2;
            continue;
        }
        if (pos + 3 >= bytes.size())
            return false;
        const qsizetype length = (qsizetype(at(bytes, pos + 2)) << 8) | at(bytes, pos + 3);
        const qsizetype next = pos + 2 + length;
        if (length < 2 || next > bytes.size())
            return false;
        pos = marker == 0xDA ? endOfScan(bytes, next) : next;
        if (pos < 0)
            return false;
    }
    return false;
}

bool gifComplete(QByteArrayView bytes) {
    constexpr qsizetype HeaderBytes = 13;
    if (bytes.size() < HeaderBytes || !(bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a")))
        return false;
    qsizetype pos = HeaderBytes + colourTableBytes(at(bytes, 10));
    while (pos < bytes.size()) {
        const std::uint8_t introducer = at(bytes, pos);
        if (introducer == 0x21) { // extension: label, then sub-blocks
            pos = pos + 2 > bytes.size() ? -1 : skipSubBlocks(bytes, pos + 2);
        } else if (introducer == 0x2C) { // image: descriptor, local table, code size, data
            constexpr qsizetype DescriptorBytes = 10;
            if (pos + DescriptorBytes > bytes.size())
                return false;
            pos += DescriptorBytes + colourTableBytes(at(bytes, pos + 9)) + 1;
            return pos <= bytes.size() && skipSubBlocks(bytes, pos) >= 0;
        } else {
            return false; // a trailer or junk before any image
        }
        if (pos < 0)
            return false;
    }
    return false;
}

} // namespace StreamChecks
