#pragma once

#include <QImage>
#include <QString>

// A decoded image, or the reason it could not be decoded (one line, for the log of a refusal).
struct ImageResult {
    QImage image;
    QString reason;

    bool ok() const { return !image.isNull(); }
    static ImageResult refused(const QString& why) { return ImageResult{QImage(), why}; }
};

// Pictures are kept in the two formats the painter draws fastest: opaque 32-bit or
// premultiplied alpha.
inline QImage toDrawingFormat(QImage image) {
    if (image.isNull())
        return image;
    const QImage::Format wanted =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != wanted)
        image.convertTo(wanted);
    return image;
}
