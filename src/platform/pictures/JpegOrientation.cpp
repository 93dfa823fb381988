#include "platform/pictures/JpegOrientation.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <libexif/exif-data.h>
#include <turbojpeg.h>

namespace JpegOrientation {

namespace {

// EXIF sits in an APP1 segment near the start; no need to hand libexif a whole photo.
constexpr qsizetype MetadataBytes = 4 * 1024 * 1024;
constexpr quint16 OrientationTag = 0x0112;
constexpr quint16 ShortType = 3;

// Orientation n says how the stored pixels must be turned to show upright.
int transformFor(int orientation) {
    switch (orientation) {
    case 2:
        return TJXOP_HFLIP;
    case 3:
        return TJXOP_ROT180;
    case 4:
        return TJXOP_VFLIP;
    case 5:
        return TJXOP_TRANSPOSE;
    case 6:
        return TJXOP_ROT90;
    case 7:
        return TJXOP_TRANSVERSE;
    case 8:
        return TJXOP_ROT270;
    default:
        return TJXOP_NONE;
    }
}

// The turn holds every DCT coefficient of the photo (two bytes each): about 150 MB for a
// 48-megapixel photo, 600 MB for 200. Beyond this the photo is stored as read.
constexpr qint64 MaxCoefficientBytes = qint64(1) << 30;

// Coefficients per pixel for each subsampling, in quarters.
int quartersPerPixel(int subsampling) {
    switch (subsampling) {
    case TJSAMP_444:
        return 12;
    case TJSAMP_422:
    case TJSAMP_440:
        return 8;
    case TJSAMP_GRAY:
        return 4;
    default:
        return 6; // 4:2:0 and 4:1:1
    }
}

// Whether turning fits the memory bound, and the data can hold the size the header claims
// (Huffman coding spends at least two bits on each block).
bool affordable(tjhandle handle, const QByteArray& jpeg) {
    int width = 0, height = 0, subsampling = 0, colours = 0;
    if (tjDecompressHeader3(handle, reinterpret_cast<const unsigned char*>(jpeg.constData()),
                            static_cast<unsigned long>(jpeg.size()), &width, &height, &subsampling,
                            &colours) != 0)
        return false;
    const qint64 coefficients = qint64(width) * height * quartersPerPixel(subsampling) / 4;
    return coefficients * 2 <= MaxCoefficientBytes && coefficients / 64 <= jpeg.size() * 4;
}

std::optional<QByteArray> transform(const QByteArray& jpeg, int operation) {
    tjhandle handle = tjInitTransform();
    if (!handle)
        return std::nullopt;
    if (!affordable(handle, jpeg)) {
        tjDestroy(handle);
        return std::nullopt;
    }
    tjtransform turn{};
    turn.op = operation;
    turn.options = TJXOPT_TRIM;
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
    const int status = tjTransform(handle, reinterpret_cast<const unsigned char*>(jpeg.constData()),
                                   static_cast<unsigned long>(jpeg.size()), 1, &output, &outputSize,
                                   &turn, TJFLAG_STOPONWARNING);
    std::optional<QByteArray> result;
    if (status == 0 && output)
        result = QByteArray(reinterpret_cast<const char*>(output), qsizetype(outputSize));
    tjFree(output);
    tjDestroy(handle);
    return result;
}

// Where, in a TIFF block of `size` bytes, the two bytes of IFD0's orientation value lie and the
// four of IFD0's link to the next directory (IFD1, the thumbnail's); -1 each where there is none.
struct Ifd0Places {
    qsizetype orientation = -1;
    qsizetype nextLink = -1;
};

Ifd0Places ifd0PlacesIn(const uchar* tiff, qsizetype size) {
    Ifd0Places places;
    if (size < 8)
        return places;
    const bool little = tiff[0] == 'I' && tiff[1] == 'I';
    if (!little && !(tiff[0] == 'M' && tiff[1] == 'M'))
        return places;
    const auto u16 = [&](qsizetype at) {
        return little ? qFromLittleEndian<quint16>(tiff + at) : qFromBigEndian<quint16>(tiff + at);
    };
    const auto u32 = [&](qsizetype at) {
        return little ? qFromLittleEndian<quint32>(tiff + at) : qFromBigEndian<quint32>(tiff + at);
    };
    const qsizetype ifd = u32(4);
    if (ifd < 8 || ifd + 2 > size)
        return places;
    const int count = u16(ifd);
    bool seen = false; // the first orientation entry counts
    for (int i = 0; i < count; ++i) {
        const qsizetype entry = ifd + 2 + qsizetype(i) * 12;
        if (entry + 12 > size)
            return places;
        if (u16(entry) == OrientationTag && !seen) {
            seen = true;
            if (u16(entry + 2) == ShortType && u32(entry + 4) == 1)
                places.orientation = entry + 8;
        }
    }
    const qsizetype link = ifd + 2 + qsizetype(count) * 12;
    if (link + 4 <= size)
        places.nextLink = link;
    return places;
}

// Sets the orientation value in the JPEG's EXIF block to 1, in place, and unlinks the thumbnail,
// which stays as the camera took it and would show the photo turned the old way. Only those bytes
// may change: rebuilding the block (as libexif would) moves maker notes whose inner offsets then
// point nowhere.
bool setUpright(QByteArray& jpeg) {
    const uchar* bytes = reinterpret_cast<const uchar*>(jpeg.constData());
    const qsizetype size = jpeg.size();
    qsizetype pos = 2;
    while (pos + 4 <= size && bytes[pos] == 0xFF) {
        const uchar marker = bytes[pos + 1];
        if (marker == 0xDA || marker == 0xD9)
            return false; // image data begins: no EXIF block
        const qsizetype length = qFromBigEndian<quint16>(bytes + pos + 2);
        if (length < 2 || pos + 2 + length > size)
            return false;
        if (marker == 0xE1 && length >= 8 && std::memcmp(bytes + pos + 4, "Exif\0\0", 6) == 0) {
            const qsizetype tiff = pos + 10;
            const Ifd0Places places = ifd0PlacesIn(bytes + tiff, pos + 2 + length - tiff);
            if (places.orientation < 0)
                return false;
            const bool little = bytes[tiff] == 'I';
            uchar* block = reinterpret_cast<uchar*>(jpeg.data()) + tiff;
            little ? qToLittleEndian<quint16>(1, block + places.orientation)
                   : qToBigEndian<quint16>(1, block + places.orientation);
            if (places.nextLink >= 0)
                qToLittleEndian<quint32>(0, block + places.nextLink); // zero either way
            return true;
        }
        pos += 2 + length;
    }
    return false;
}

} // namespace

int read(const QByteArray& jpeg) {
    ExifData* exif = exif_data_new();
    if (!exif)
        return 1;
    // Read only: libexif is not to add or repair tags.
    exif_data_unset_option(exif, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(exif, reinterpret_cast<const unsigned char*>(jpeg.constData()),
                        unsigned(std::min(jpeg.size(), MetadataBytes)));
    int orientation = 1;
    ExifEntry* entry = exif_content_get_entry(exif->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (entry && entry->format == EXIF_FORMAT_SHORT && entry->components == 1 && entry->data &&
        entry->size >= 2) {
        const int value = exif_get_short(entry->data, exif_data_get_byte_order(exif));
        if (value >= 1 && value <= 8)
            orientation = value;
    }
    exif_data_unref(exif);
    return orientation;
}

std::optional<QByteArray> upright(const QByteArray& jpeg) {
    const int operation = transformFor(read(jpeg));
    if (operation == TJXOP_NONE)
        return std::nullopt;
    std::optional<QByteArray> turned = transform(jpeg, operation);
    if (!turned || !setUpright(*turned) || read(*turned) != 1)
        return std::nullopt;
    return turned;
}

} // namespace JpegOrientation
