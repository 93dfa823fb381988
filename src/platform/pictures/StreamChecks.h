#pragma once

#include <QByteArrayView>

// Qt's JPEG and GIF readers return a picture for a file that stops early (the missing part grey
// or empty), which would put a damaged picture on the label without a word. These walks check
// that the compressed data is all there before the file is decoded.
namespace StreamChecks {

// Every segment and every scan of the JPEG is complete up to its end-of-image marker.
bool jpegComplete(QByteArrayView bytes);

// The GIF's first image and every block before it are complete.
bool gifComplete(QByteArrayView bytes);

} // namespace StreamChecks
