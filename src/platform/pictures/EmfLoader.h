#pragma once

#include "platform/pictures/PictureLimits.h"

#include <QByteArrayView>
#include <QImage>
#include <QSizeF>
#include <QString>

// Enhanced metafiles: checked and rebuilt by EmfSanitizer, converted to SVG by libemf2svg in
// memory and drawn with QtSvg at print resolution within `maxPixels`. The natural size is the
// header's frame.
namespace EmfLoader {

struct Result {
    QImage image;
    QSizeF naturalSizeMm;
    QString reason;

    bool ok() const { return !image.isNull(); }
};

Result render(QByteArrayView bytes, qint64 maxPixels = PictureLimits::MaxMetafilePixels);

} // namespace EmfLoader
