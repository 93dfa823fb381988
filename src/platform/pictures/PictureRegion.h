#pragma once

#include <QImage>
#include <QRectF>

// Pixels of part of a picture: `image` covers `areaPx`, a rectangle in the picture's
// full-resolution pixels, so that image pixel (i, j) starts at
// areaPx.topLeft() + (i × areaPx.width() / image.width(), j × areaPx.height() / image.height()).
struct PictureRegion {
    QImage image;
    QRectF areaPx;

    bool isEmpty() const { return image.isNull(); }
    double scaleX() const { return image.width() / areaPx.width(); }
    double scaleY() const { return image.height() / areaPx.height(); }
};
