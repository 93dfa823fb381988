#pragma once

#include "document/LabelDocument.h"
#include "document/SheetLayout.h"
#include "platform/pictures/Picture.h"
#include "shapes/Geometry.h"

#include <QRectF>
#include <functional>
#include <vector>

class QPainter;

// One printed page of a medium: the label drawn at each chosen position of its layout, every label
// moved by the printer's offset and scaled about its own centre. Print, the preview, the alignment
// sheet, merge, the exporter and gpctool all draw their pages through draw().
namespace SheetPage {

// A printer's scale corrects a printer's error: it stays within a tenth of true size.
inline constexpr double MinScalePercent = 90;
inline constexpr double MaxScalePercent = 110;
inline bool scaleAllowed(double percent) {
    return percent >= MinScalePercent && percent <= MaxScalePercent;
}

// Where a page's labels go.
struct Placement {
    SheetLayout layout = SheetLayout::discTray();
    QPointF offsetMm;
    double scaleX = 1;
    double scaleY = 1;

    bool trueSize() const { return scaleX == 1 && scaleY == 1; }
    // The label square at `position` as it prints (scaled), in millimetres from the page's
    // top-left corner (the tray: the printable area's).
    QRectF labelSquareMm(int position) const;
    // What must lie on the printable area: the label square in the tray, the sticker itself on
    // a sheet (ink outside it would be on the backing, and the text check asks about that).
    QRectF printedMm(int position) const;
};

// Every position of the layout, in order (0-based).
std::vector<int> allPositions(const SheetLayout& layout);

// Draws content(painter, geometry, position) for each position, `geometry` putting the label
// square where the placement puts it on a page whose top-left corner (the tray: printable area's)
// `page` maps. A label at true size is drawn straight; a scaled one through the painter's
// transform about its centre, so that text, picture and ring scale alike.
using LabelContent = std::function<void(QPainter&, const Geometry&, int position)>;
void draw(QPainter& painter, const Geometry& page, const Placement& placement,
          const std::vector<int>& positions, const LabelContent& content);

// The printed label (PrintRenderer::drawLabel, on the medium's ring) at each position; the labels
// of the page share one decoding of the background, so a PDF holds it once.
void drawLabels(QPainter& painter, const Geometry& page, const Placement& placement,
                const std::vector<int>& positions, const LabelDocument& document,
                const Picture& picture);

// Merge: labels 0..labelCount-1 in order over `positions`, on the first page from the first of
// them at or after `start` (0-based), on every later page from the first. Each page lists its
// {position, label} pairs.
struct Slot {
    int position = 0;
    int label = 0;
    bool operator==(const Slot&) const = default;
};
std::vector<std::vector<Slot>> fill(const std::vector<int>& positions, int start, int labelCount);

} // namespace SheetPage
