#pragma once

#include "document/DiscFrame.h"
#include "view/DeviceRows.h"

#include <QPoint>
#include <vector>

class QPainter;

// The two guide circles as the view draws them (the frame's: the disc's, or a sticker's edge and
// hole), kept as the list of pixels they invert for the current frame, view size and device pixel
// ratio: inverting four thousand pixels directly is far quicker
// than rasterising two circles on every redraw during a drag. Where the painter is not on a plain
// 32-bit image at a uniform scale, the circles are drawn by LabelRenderer::drawGuideCircles.
class ViewGuideCircles {
public:
    void draw(QPainter& painter, double sidePx, const DiscFrame& frame, DeviceRows rows = {});

private:
    DiscFrame frame_;
    double sidePx_ = -1;
    double scale_ = 0;
    std::vector<QPoint> pixels_;
};
