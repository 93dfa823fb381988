#pragma once

#include "platform/pictures/Picture.h"

#include <QImage>

// The background picture at about the view's resolution. Dragging the background redraws the
// label on every pointer move; drawing a large photo from its full pixels each time is slow and,
// where the view shows it smaller, grainy. The cache keeps an area-averaged copy made for the
// current picture, zoom and view size and is rebuilt only when one of them changes. A picture
// that has no more pixels than the view needs is used as it is. Printing uses the full picture.
class ViewPictureCache {
public:
    struct Source {
        QImage image;        // shares the cache's pixels; no copy
        double pixelsPerMmX; // image pixels per millimetre of the picture's natural size
        double pixelsPerMmY;
    };

    // The image to draw `picture` from when one of its millimetres covers `devicePxPerMmX` ×
    // `devicePxPerMmY` device pixels.
    Source prepare(const Picture& picture, double devicePxPerMmX, double devicePxPerMmY);

    void clear();

    // How many copies were made so far (for tests).
    int rebuildCount() const { return rebuilds_; }

private:
    qint64 pictureKey_ = 0;
    QSize size_;
    QImage image_;
    int rebuilds_ = 0;
};
