#pragma once

#include "document/LabelDocument.h"
#include "shapes/Geometry.h"
#include "view/DeviceRows.h"
#include "view/DiscRangeCheck.h"

#include <QImage>
#include <vector>

class QPainter;

// The text items as the view draws them, kept in a transparent layer while they and the view
// size stay the same. Dragging the background redraws the label on every pointer move; drawing a
// hundred items of large text each time is far slower than laying their finished pixels on top.
// The layer's text pixels are also kept as runs along its rows: on a plain screen image only they
// are laid on, as blending the whole mostly transparent layer would cost more (on a high-density
// screen) than all the rest of the redraw. The marks of items that leave the disc's ring belong to
// the items, so they are kept in the layer too.
class ViewTextLayer {
public:
    using Outlines = std::vector<DiscRangeCheck::Finding>;

    // Draws the document's items onto `painter` (the screen view of `sidePx`), as
    // LabelRenderer::drawTextItems would, with the outlines of the items off the ring.
    void draw(QPainter& painter, double sidePx, const LabelDocument& document,
              const Outlines& outlines);

    // The same in two steps, for drawing band by band: prepare() brings the layer up to date
    // (or, where no layer can be kept, draws the items directly and returns false), then
    // drawPrepared() lays each band of it on.
    bool prepare(QPainter& painter, double sidePx, const LabelDocument& document,
                 const Outlines& outlines);
    void drawPrepared(QPainter& painter, DeviceRows rows = {});

    // How many times the layer was drawn anew (for tests).
    int rebuildCount() const { return rebuilds_; }

private:
    // Stretches along a row that hold the layer's pixels that are not fully transparent.
    struct Run {
        int x;
        int y;
        int length;
        size_t first; // index of the run's first pixel in runPixels_
    };

    // One item's pixels at the layer's resolution, and where they go on it.
    struct Sprite {
        TextItem item;
        QImage pixels;
        QPoint at;
    };

    bool matches(double sidePx, double deviceScale, const LabelDocument& document) const;
    void layItemsOn(QPainter& painter, const Geometry& geometry, const LabelDocument& document);
    Sprite drawSprite(const Geometry& geometry, const TextItem& item) const;
    void findRuns();
    bool drawRuns(QPainter& painter, DeviceRows rows) const;

    QImage layer_;
    std::vector<Run> runs_;
    std::vector<QRgb> runPixels_; // premultiplied
    double sidePx_ = 0;
    double deviceScale_ = 0;
    std::vector<TextItem> items_;
    std::vector<Sprite> sprites_; // in item order, for sidePx_ and deviceScale_
    bool prepared_ = false; // the last prepare() left a layer to draw
    int rebuilds_ = 0;
};
