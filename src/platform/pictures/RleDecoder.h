#pragma once

#include "platform/pictures/ImageResult.h"

#include <QByteArrayView>
#include <QList>
#include <QRgb>

// Run-length-encoded bitmap data (4 or 8 bits per pixel, bottom-up rows). Qt's BMP reader
// accepts cut-off RLE data and leaves the rest of the image uninitialised, so the editor decodes
// it itself: a run past a row's end, a delta past the image or data that stops before the image
// is complete is refused. Pixels the data skips (end of line, delta) get palette entry 0.
namespace RleDecoder {

ImageResult decode(QByteArrayView data, int width, int height, int bitsPerPixel,
                   const QList<QRgb>& palette);

} // namespace RleDecoder
