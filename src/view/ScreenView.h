#pragma once

#include "view/LabelRenderer.h"
#include "view/ViewCaches.h"

// The screen's drawing of the label: what LabelRenderer::drawView draws, made quick through what
// the screen keeps between redraws (the background at the view's resolution, the guide circles'
// pixels, the text items' finished pixels), band by band on a plain screen image, and with the
// outlines of text that leaves the disc's ring, which only the screen shows.
namespace ScreenView {

// The guide circles and the check of the text are the frame's (the medium printed on).
void draw(QPainter& painter, double sidePx, const LabelDocument& document, const Picture& picture,
          const QColor& backgroundColor, ViewCaches& caches,
          const DiscFrame& frame = DiscFrame::disc());

// The picture from its copy at the view's resolution (the screen while dragging). Where the view
// enlarges the picture, its pixels stay square instead of being smoothed.
void drawBackground(QPainter& painter, const Geometry& geometry, const LabelDocument& document,
                    const Picture& picture, ViewPictureCache& cache, DeviceRows rows = {});

} // namespace ScreenView
