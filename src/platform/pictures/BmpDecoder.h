#pragma once

#include "platform/pictures/ImageResult.h"
#include "platform/pictures/PictureLimits.h"

#include <QByteArrayView>
#include <QSize>
#include <optional>

// Windows bitmaps: .bmp and .rle files, and the device-independent bitmaps that metafiles carry.
// Headers, colour tables and pixel data are checked against the bytes present before anything is
// decoded, so a cut-off or lying file is refused instead of coming out half garbage.
namespace BmpDecoder {

ImageResult decodeFile(QByteArrayView bytes, qint64 maxPixels = PictureLimits::MaxPixels);

// A bitmap as metafiles store it: BITMAPINFO (header and colour table) and the pixel bits,
// separately or packed one after the other.
ImageResult decodeDib(QByteArrayView info, QByteArrayView bits,
                      qint64 maxPixels = PictureLimits::MaxPixels);
ImageResult decodePackedDib(QByteArrayView packed, qint64 maxPixels = PictureLimits::MaxPixels);

// Width and height (negative: rows stored top-down) a bitmap header claims; nothing when the
// header is not one this decoder reads.
std::optional<QSize> claimedSize(QByteArrayView info);

} // namespace BmpDecoder
