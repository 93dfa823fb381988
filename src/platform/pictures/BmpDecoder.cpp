#include "platform/pictures/BmpDecoder.h"

#include "platform/pictures/ByteReader.h"
#include "platform/pictures/PictureLimits.h"
#include "platform/pictures/RleDecoder.h"

#include <QBuffer>
#include <QImageReader>
#include <limits>
#include <optional>

namespace BmpDecoder {

namespace {

constexpr qsizetype FileHeaderBytes = 14;
constexpr std::uint32_t BiRgb = 0, BiRle8 = 1, BiRle4 = 2, BiBitfields = 3, BiAlphaBitfields = 6;

// What the pixel data needs of the header: size, depth, compression and the colour table.
struct DibHeader {
    qsizetype headerBytes = 0;
    int width = 0;
    int height = 0; // negative: rows stored top-down
    int bitsPerPixel = 0;
    std::uint32_t compression = BiRgb;
    int paletteCount = 0;
    int paletteEntryBytes = 4;
    qsizetype maskBytes = 0;

    qsizetype tableBytes() const { return maskBytes + qsizetype(paletteCount) * paletteEntryBytes; }
    qsizetype infoBytes() const { return headerBytes + tableBytes(); }
    int rows() const { return height < 0 ? -height : height; }
    qsizetype strideBytes() const { return ((qsizetype(width) * bitsPerPixel + 31) / 32) * 4; }
};

bool knownHeaderSize(qsizetype size) {
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool validDepth(int bits, std::uint32_t compression) {
    switch (compression) {
    case BiRgb:
        return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case BiRle8:
        return bits == 8;
    case BiRle4:
        return bits == 4;
    case BiBitfields:
    case BiAlphaBitfields:
        return bits == 16 || bits == 32;
    default:
        return false;
    }
}

std::optional<DibHeader> readHeader(ByteReader& reader, qsizetype at, qint64 maxPixels,
                                    QString& reason) {
    DibHeader header;
    header.headerBytes = reader.u32(at);
    if (!reader.ok() || !knownHeaderSize(header.headerBytes)) {
        reason = QStringLiteral("not a Windows bitmap header");
        return std::nullopt;
    }
    std::uint32_t colorsUsed = 0;
    int planes = 0;
    if (header.headerBytes == 12) {
        header.width = reader.u16(at + 4);
        header.height = reader.u16(at + 6);
        planes = reader.u16(at + 8);
        header.bitsPerPixel = reader.u16(at + 10);
        header.paletteEntryBytes = 3;
    } else {
        header.width = reader.i32(at + 4);
        header.height = reader.i32(at + 8);
        planes = reader.u16(at + 12);
        header.bitsPerPixel = reader.u16(at + 14);
        header.compression = reader.u32(at + 16);
        colorsUsed = reader.u32(at + 32);
        if (header.headerBytes == 40 && header.compression == BiBitfields)
            header.maskBytes = 12;
        else if (header.headerBytes == 40 && header.compression == BiAlphaBitfields)
            header.maskBytes = 16;
    }
    const qint64 pixels = qint64(header.width) * std::abs(qint64(header.height));
    if (!reader.ok() || planes != 1 || !validDepth(header.bitsPerPixel, header.compression) ||
        header.width <= 0 || header.height == 0 || header.height == INT_MIN) {
        reason = QStringLiteral("unsupported or damaged bitmap header");
        return std::nullopt;
    }
    if (pixels > maxPixels) {
        reason = QStringLiteral("bitmap too large: %1 x %2 pixels")
                     .arg(header.width)
                     .arg(std::abs(qint64(header.height)));
        return std::nullopt;
    }
    if (header.bitsPerPixel <= 8) {
        const std::uint32_t full = 1u << header.bitsPerPixel;
        header.paletteCount = int(colorsUsed == 0 || colorsUsed > full ? full : colorsUsed);
    } else if (colorsUsed <= 256) {
        header.paletteCount = int(colorsUsed); // an optional table the pixels do not use
    }
    return header;
}

QList<QRgb> readPalette(ByteReader& reader, qsizetype at, const DibHeader& header) {
    QList<QRgb> palette;
    palette.reserve(header.paletteCount);
    for (int i = 0; i < header.paletteCount; ++i) {
        const qsizetype entry = at + qsizetype(i) * header.paletteEntryBytes;
        palette.append(qRgb(reader.u8(entry + 2), reader.u8(entry + 1), reader.u8(entry)));
    }
    return palette;
}

ImageResult decodeWithQt(QByteArrayView bytes) {
    QByteArray copy = bytes.toByteArray();
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setAllocationLimit(int(PictureLimits::MaxPixels * 4 / (1024 * 1024)) + 1);
    QImage image = reader.read();
    if (image.isNull())
        return ImageResult::refused(
            QStringLiteral("unreadable bitmap: %1").arg(reader.errorString()));
    return ImageResult{toDrawingFormat(std::move(image)), QString()};
}

} // namespace

ImageResult decodeFile(QByteArrayView bytes, qint64 maxPixels) {
    ByteReader reader(bytes);
    if (bytes.size() < FileHeaderBytes + 12 || bytes[0] != 'B' || bytes[1] != 'M')
        return ImageResult::refused(QStringLiteral("not a Windows bitmap"));
    QString reason;
    const std::optional<DibHeader> header = readHeader(reader, FileHeaderBytes, maxPixels, reason);
    if (!header)
        return ImageResult::refused(reason);
    const qsizetype tableAt = FileHeaderBytes + header->headerBytes + header->maskBytes;
    const qsizetype bitsAt = reader.u32(10);
    if (!reader.has(FileHeaderBytes, header->infoBytes()) ||
        bitsAt < FileHeaderBytes + header->headerBytes || bitsAt > bytes.size())
        return ImageResult::refused(QStringLiteral("bitmap header or colour table cut short"));

    if (header->compression == BiRle8 || header->compression == BiRle4) {
        if (header->height < 0)
            return ImageResult::refused(QStringLiteral("top-down run-length bitmap"));
        const QList<QRgb> palette = readPalette(reader, tableAt, *header);
        return RleDecoder::decode(bytes.sliced(bitsAt), header->width, header->height,
                                  header->bitsPerPixel, palette);
    }
    if (header->strideBytes() * header->rows() > bytes.size() - bitsAt)
        return ImageResult::refused(QStringLiteral("bitmap pixel data cut short"));
    return decodeWithQt(bytes);
}

ImageResult decodeDib(QByteArrayView info, QByteArrayView bits, qint64 maxPixels) {
    ByteReader reader(info);
    QString reason;
    const std::optional<DibHeader> header = readHeader(reader, 0, maxPixels, reason);
    if (!header)
        return ImageResult::refused(reason);
    if (header->infoBytes() > info.size())
        return ImageResult::refused(QStringLiteral("bitmap colour table cut short"));

    // Made into a bitmap file so that one decoder serves both.
    const qsizetype infoBytes = header->infoBytes();
    const qsizetype total = FileHeaderBytes + infoBytes + bits.size();
    if (total > PictureLimits::MaxFileBytes)
        return ImageResult::refused(QStringLiteral("bitmap too large"));
    QByteArray file;
    file.reserve(total);
    auto appendU32 = [&file](std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            file.append(char((value >> (8 * i)) & 0xFF));
    };
    file.append("BM", 2);
    appendU32(std::uint32_t(total));
    appendU32(0);
    appendU32(std::uint32_t(FileHeaderBytes + infoBytes));
    file.append(info.first(infoBytes));
    file.append(bits);
    return decodeFile(file, maxPixels);
}

ImageResult decodePackedDib(QByteArrayView packed, qint64 maxPixels) {
    ByteReader reader(packed);
    QString reason;
    const std::optional<DibHeader> header = readHeader(reader, 0, maxPixels, reason);
    if (!header)
        return ImageResult::refused(reason);
    if (header->infoBytes() > packed.size())
        return ImageResult::refused(QStringLiteral("bitmap colour table cut short"));
    return decodeDib(packed.first(header->infoBytes()), packed.sliced(header->infoBytes()),
                     maxPixels);
}

std::optional<QSize> claimedSize(QByteArrayView info) {
    ByteReader reader(info);
    QString reason;
    const std::optional<DibHeader> header =
        readHeader(reader, 0, std::numeric_limits<qint64>::max(), reason);
    if (!header)
        return std::nullopt;
    return QSize(header->width, header->height);
}

} // namespace BmpDecoder
