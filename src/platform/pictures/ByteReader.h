#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <cstring>
#include <optional>

// Little-endian reads from a byte range that never run past its end. A read beyond the end
// yields nothing (std::nullopt or 0 with ok() turning false), so parsers can read a whole
// structure and check once.
class ByteReader {
public:
    explicit ByteReader(QByteArrayView bytes) : bytes_(bytes) {}

    qsizetype size() const { return bytes_.size(); }
    bool ok() const { return ok_; }
    bool has(qsizetype offset, qsizetype count) const {
        return offset >= 0 && count >= 0 && offset <= bytes_.size() &&
               count <= bytes_.size() - offset;
    }

    std::uint8_t u8(qsizetype offset) { return std::uint8_t(read(offset, 1)); }
    std::uint16_t u16(qsizetype offset) { return std::uint16_t(read(offset, 2)); }
    std::int16_t i16(qsizetype offset) { return std::int16_t(u16(offset)); }
    std::uint32_t u32(qsizetype offset) { return std::uint32_t(read(offset, 4)); }
    std::int32_t i32(qsizetype offset) { return std::int32_t(u32(offset)); }
    float f32(qsizetype offset) {
        const std::uint32_t bits = u32(offset);
        float value;
        static_assert(sizeof(value) == sizeof(bits));
        std::memcpy(&value, &bits, sizeof(value));
        return value;
    }

    // A sub-range; empty (and ok() false) when it does not fit.
    QByteArrayView slice(qsizetype offset, qsizetype count) {
        if (!has(offset, count)) {
            ok_ = false;
            return {};
        }
        return bytes_.sliced(offset, count);
    }

private:
    std::uint64_t read(qsizetype offset, int count) {
        if (!has(offset, count)) {
            ok_ = false;
            return 0;
        }
        std::uint64_t value = 0;
        for (int i = count - 1; i >= 0; --i)
            value = (value << 8) | std::uint8_t(bytes_[offset + i]);
        return value;
    }

    QByteArrayView bytes_;
    bool ok_ = true;
};
