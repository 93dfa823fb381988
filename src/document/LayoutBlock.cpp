#include "document/LayoutBlock.h"

#include "document/LabelFileCodec.h"

#include <QtEndian>
#include <bit>
#include <cstring>
#include <set>
#include <zlib.h>

namespace LayoutBlock {

namespace {

constexpr int CountRecord = 3; // the i32 item count
constexpr int FirstItemRecord = 5;

// Entry kinds as stored, and the bytes of each kind's values.
enum StoredKind : std::uint8_t { StoredStraight = 0, StoredArc = 1, StoredVertical = 2 };
constexpr std::uint8_t StraightBytes = 4; // rotation
constexpr std::uint8_t ArcBytes = 14;     // radius, angle, side, align, spacing
constexpr std::uint8_t VerticalBytes = 5; // spacing, upright digits

class Writer {
public:
    explicit Writer(QByteArray& bytes) : bytes_(bytes) {}
    void u8(std::uint8_t value) { bytes_.append(char(value)); }
    void u16(std::uint16_t value) { put(value); }
    void u32(std::uint32_t value) { put(value); }
    void f32(float value) { put(std::bit_cast<std::uint32_t>(value)); }

private:
    template <typename T> void put(T value) {
        char buffer[sizeof(T)];
        qToLittleEndian(value, buffer);
        bytes_.append(buffer, sizeof(T));
    }
    QByteArray& bytes_;
};

class Reader {
public:
    Reader(const char* at, qsizetype size) : at_(at), left_(size) {}
    bool ok() const { return ok_; }
    qsizetype left() const { return left_; }
    std::uint8_t u8() { return get<std::uint8_t>(); }
    std::uint16_t u16() { return get<std::uint16_t>(); }
    std::uint32_t u32() { return get<std::uint32_t>(); }
    float f32() { return std::bit_cast<float>(get<std::uint32_t>()); }

private:
    template <typename T> T get() {
        if (!ok_ || left_ < qsizetype(sizeof(T))) {
            ok_ = false;
            return T{};
        }
        const T value = qFromLittleEndian<T>(at_);
        at_ += sizeof(T);
        left_ -= sizeof(T);
        return value;
    }
    const char* at_;
    qsizetype left_;
    bool ok_ = true;
};

void writeEntry(Writer& out, int index, const TextLayout& layout) {
    out.u16(std::uint16_t(index));
    switch (layout.kind) {
    case TextLayoutKind::Straight:
        out.u8(StoredStraight);
        out.u8(StraightBytes);
        out.f32(layout.rotationDeg);
        break;
    case TextLayoutKind::Arc:
        out.u8(StoredArc);
        out.u8(ArcBytes);
        out.f32(layout.radiusMm);
        out.f32(layout.angleDeg);
        out.u8(std::uint8_t(layout.side));
        out.u8(std::uint8_t(layout.align));
        out.f32(layout.spacingMm);
        break;
    case TextLayoutKind::Vertical:
        out.u8(StoredVertical);
        out.u8(VerticalBytes);
        out.f32(layout.spacingMm);
        out.u8(layout.uprightDigits ? 1 : 0);
        break;
    }
}

Found damaged(const QString& reason) {
    return Found{Outcome::Damaged, QStringLiteral("layout block: ") + reason, {}};
}

// One entry's layout, or an empty optional-like result with the reason.
bool readEntry(Reader& in, TextLayout& layout, QString& reason) {
    const std::uint8_t kind = in.u8();
    const std::uint8_t size = in.u8();
    if (!in.ok() || in.left() < size) {
        reason = QStringLiteral("an entry runs past the block");
        return false;
    }
    switch (kind) {
    case StoredStraight:
        if (size != StraightBytes)
            break;
        layout.kind = TextLayoutKind::Straight;
        layout.rotationDeg = in.f32();
        return true;
    case StoredArc: {
        if (size != ArcBytes)
            break;
        layout.kind = TextLayoutKind::Arc;
        layout.radiusMm = in.f32();
        layout.angleDeg = in.f32();
        const std::uint8_t side = in.u8(), align = in.u8();
        layout.spacingMm = in.f32();
        if (side > std::uint8_t(ArcSide::Auto) || align > std::uint8_t(ArcAlign::End)) {
            reason = QStringLiteral("an arc has an unknown side or alignment");
            return false;
        }
        layout.side = ArcSide(side);
        layout.align = ArcAlign(align);
        return true;
    }
    case StoredVertical: {
        if (size != VerticalBytes)
            break;
        layout.kind = TextLayoutKind::Vertical;
        layout.spacingMm = in.f32();
        const std::uint8_t upright = in.u8();
        if (upright > 1) {
            reason = QStringLiteral("a vertical layout has an unknown option");
            return false;
        }
        layout.uprightDigits = upright == 1;
        return true;
    }
    default:
        reason = QStringLiteral("an entry has the unknown kind %1").arg(kind);
        return false;
    }
    reason = QStringLiteral("an entry of kind %1 has %2 bytes of values").arg(kind).arg(size);
    return false;
}

Found readEntries(Reader& in, int itemCount) {
    const std::uint16_t entries = in.u16();
    Found found{Outcome::Applied, QString(), {}};
    std::set<int> seen;
    for (int i = 0; i < entries; ++i) {
        const std::uint16_t index = in.u16();
        if (!in.ok())
            return damaged(QStringLiteral("the entries run past the block"));
        if (index >= itemCount)
            return damaged(
                QStringLiteral("an entry names item %1 of %2").arg(index).arg(itemCount));
        if (!seen.insert(index).second)
            return damaged(QStringLiteral("item %1 has two entries").arg(index));
        TextLayout layout;
        QString reason;
        if (!readEntry(in, layout, reason))
            return damaged(reason);
        if (!layout.isValid())
            return damaged(QStringLiteral("item %1 has a layout value out of range").arg(index));
        found.layouts.emplace_back(index, layout);
    }
    if (!in.ok() || in.left() != 0)
        return damaged(QStringLiteral("the entries do not fill the block"));
    return found;
}

} // namespace

std::uint32_t checksum(const char* bytes, qsizetype size) {
    return std::uint32_t(::crc32(::crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes),
                                 uInt(size)));
}

std::uint32_t recordsChecksum(const QByteArray& file, int itemCount) {
    using LabelFileCodec::RecordSize;
    const auto recordAt = [&](qsizetype index) { return file.constData() + index * RecordSize; };
    if (file.size() < (FirstItemRecord + qsizetype(itemCount)) * RecordSize)
        return 0;
    const std::uint32_t count = checksum(recordAt(CountRecord), RecordSize);
    return std::uint32_t(::crc32(count, reinterpret_cast<const Bytef*>(recordAt(FirstItemRecord)),
                                 uInt(itemCount * RecordSize)));
}

QByteArray encode(const std::vector<TextItem>& items, std::uint32_t recordsChecksum) {
    QByteArray entries;
    Writer out(entries);
    std::uint16_t count = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].layout.isPlain())
            continue;
        writeEntry(out, int(i), items[i].layout);
        ++count;
    }
    if (count == 0)
        return QByteArray();
    QByteArray body;
    Writer bodyOut(body);
    bodyOut.u32(recordsChecksum);
    bodyOut.u16(count);
    body += entries;
    QByteArray block(Magic, sizeof Magic);
    Writer head(block);
    head.u16(Version);
    head.u32(std::uint32_t(HeaderBytes + body.size()));
    head.u32(checksum(body.constData(), body.size()));
    return block + body;
}

Found find(const QByteArray& file, qsizetype from, qsizetype to, int itemCount,
           std::uint32_t recordsChecksum) {
    to = std::min(to, file.size());
    qsizetype at = from;
    for (; at + qsizetype(sizeof Magic) <= to; at += LabelFileCodec::RecordSize) {
        if (std::memcmp(file.constData() + at, Magic, sizeof Magic) == 0)
            break;
    }
    if (at + qsizetype(sizeof Magic) > to)
        return Found{};
    Reader head(file.constData() + at + sizeof Magic, to - at - qsizetype(sizeof Magic));
    const std::uint16_t version = head.u16();
    const std::uint32_t length = head.u32();
    const std::uint32_t crc = head.u32();
    if (!head.ok())
        return damaged(QStringLiteral("the block is cut short"));
    if (version > Version)
        return Found{Outcome::Newer, QStringLiteral("layout block version %1").arg(version), {}};
    if (version == 0)
        return damaged(QStringLiteral("its version is 0"));
    // The body: the records' checksum and the entry count at least.
    if (length < std::uint32_t(HeaderBytes + 6) || qsizetype(length) > to - at)
        return damaged(QStringLiteral("its length runs past its room"));
    const char* body = file.constData() + at + HeaderBytes;
    const qsizetype size = qsizetype(length) - HeaderBytes;
    if (checksum(body, size) != crc)
        return damaged(QStringLiteral("its checksum is wrong"));
    Reader in(body, size);
    if (in.u32() != recordsChecksum)
        return Found{Outcome::Stale, QString(), {}};
    return readEntries(in, itemCount);
}

} // namespace LayoutBlock
