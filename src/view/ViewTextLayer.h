#pragma once

#include "document/LabelDocument.h"

#include <QImage>
#include <vector>

class QPainter;
namespace LabelRenderer {
struct Geometry;
}

// The text items as the view draws them, kept in a transparent layer while they and the view
// size stay the same. Dragging the background redraws the label on every pointer move; drawing a
// hundred items of large text each time is far slower than laying their finished pixels on top.
class ViewTextLayer {
public:
    // Draws the document's items onto `painter` (the screen view of `sidePx`), as
    // LabelRenderer::drawTextItems would.
    void draw(QPainter& painter, double sidePx, const LabelDocument& document);

    // How many times the layer was drawn anew (for tests).
    int rebuildCount() const { return rebuilds_; }

private:
    bool matches(double sidePx, double deviceScale, const LabelDocument& document) const;

    QImage layer_;
    double sidePx_ = 0;
    double deviceScale_ = 0;
    std::vector<TextItem> items_;
    int rebuilds_ = 0;
};
