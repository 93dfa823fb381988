#pragma once

#include <QByteArray>
#include <optional>

// Phones store a portrait photo sideways and say so in its EXIF orientation tag. These turn such
// a photo upright the way the camera meant it, without decoding and re-encoding it.
namespace JpegOrientation {

// The EXIF orientation of a JPEG, 1 (as stored) to 8; 1 when it has none or an unreadable one.
int read(const QByteArray& jpeg);

// The JPEG turned upright losslessly (partial edge blocks that cannot be turned are trimmed, at
// most 15 pixels a side) with its orientation tag set to 1, every other byte of its metadata
// kept. Nothing when the photo is upright already, or when it cannot be turned without loss:
// damaged data, or a tag that cannot be rewritten in place.
std::optional<QByteArray> upright(const QByteArray& jpeg);

} // namespace JpegOrientation
