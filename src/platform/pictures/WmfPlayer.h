#pragma once

#include "platform/pictures/PictureLimits.h"

#include <QByteArrayView>
#include <QImage>
#include <QSizeF>
#include <QString>

// Windows metafiles, which Qt does not read: a small player of our own for the records drawings
// use (mapping, pens, brushes, fonts, text, lines, polygons, rectangles, ellipses, arcs, bitmaps,
// clipping, save/restore). The placeable header gives the natural size; the drawing is made at
// print resolution within `maxPixels`. Record counts, sizes and the drawing work are bounded, so
// a crafted file is refused rather than hanging the editor.
namespace WmfPlayer {

struct Result {
    QImage image;
    QSizeF naturalSizeMm;
    QString reason; // why the file was refused

    bool ok() const { return !image.isNull(); }
};

// The file starts like a Windows metafile (placeable or not).
bool recognises(QByteArrayView bytes);

Result render(QByteArrayView bytes, qint64 maxPixels = PictureLimits::MaxMetafilePixels);

} // namespace WmfPlayer
