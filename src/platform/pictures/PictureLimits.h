#pragma once

#include <QtGlobal>

// Bounds that keep a hostile or damaged picture file from costing more than a big photo does.
namespace PictureLimits {

// Pictures decoded whole load up to 100 megapixels; a header that claims more is refused before
// decoding.
inline constexpr qint64 MaxPixels = 100'000'000;
inline constexpr qint64 MaxFileBytes = qint64(512) * 1024 * 1024;

// A baseline JPEG is kept compressed and decoded only where it is shown, so its size is bounded
// by the bytes a document can hold (2 GiB), not by its pixels. Up to this many pixels it is
// simply decoded whole (at most 16 MB).
inline constexpr qint64 MaxJpegFileBytes = qint64(2147483647) + 1;
inline constexpr qint64 MaxJpegPixelsDecodedWhole = 4'000'000;

// Metafiles are drawn into a bitmap at print resolution, within a pixel budget.
inline constexpr double MetafileDotsPerInch = 300.0;
inline constexpr qint64 MaxMetafilePixels = 24'000'000;
inline constexpr int MaxMetafileSidePx = 16384;
inline constexpr qint64 MaxMetafileBytes = qint64(64) * 1024 * 1024;
inline constexpr int MaxWmfRecords = 1'000'000;
inline constexpr int MaxEmfRecords = 200'000;

} // namespace PictureLimits
