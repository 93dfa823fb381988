#pragma once

#include "document/LabelDocument.h"
#include "platform/pictures/Picture.h"
#include "view/DeviceRows.h"
#include "view/ShownPixels.h"

#include <QFont>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

class QPainter;
class QPaintDevice;

// Drawing the label. The same functions serve the screen, the printer, the exporter and the
// benchmarks; only the geometry differs. What the screen keeps between redraws is ScreenView's.
namespace LabelRenderer {

// On screen a text item is drawn at s × Size points with s = view width in twips ÷ 6917.4, which
// makes one point 2440 / 6917.4 label millimetres. On paper a point is a true point.
inline constexpr double ScreenMmPerPoint = 2440.0 / 6917.4;
inline constexpr double PrintMmPerPoint = 25.4 / 72.0;

// Where the label square lands on the painter's device: its top-left corner and its scale, in
// the painter's own (untransformed) units, and how many millimetres one text point takes. The one
// mapping between label millimetres and pixels: the renderer, the view's mouse and its frame.
struct Geometry {
    QPointF origin;
    double unitsPerMm = 1.0;
    double mmPerPoint = ScreenMmPerPoint;

    QPointF map(double xMm, double yMm) const {
        return {origin.x() + xMm * unitsPerMm, origin.y() + yMm * unitsPerMm};
    }
    double sideUnits() const { return LabelSideMm * unitsPerMm; }
    // A point in the painter's units back in label millimetres, each coordinate formed in single
    // precision as the stored values are, so that a click on an item's edge misses exactly.
    QPointF unmap(QPointF units) const {
        const float side = float(sideUnits());
        if (!(side > 0))
            return {};
        return {float(units.x() - origin.x()) * LabelSideMm / side,
                float(units.y() - origin.y()) * LabelSideMm / side};
    }
};

// The geometry of the screen view: a square of sidePx logical pixels.
Geometry screenGeometry(double sidePx);

// The finest resolution a picture kept compressed is decoded at for a page: 600 pixels per inch
// of the label (2882 pixels across it), plenty for printing on a disc.
inline constexpr double MaxOutputPixelsPerMm = 600.0 / 25.4;

// The part of the picture named by BackLeft..BackHeight stretched over the label square. Where
// that rectangle reaches past the picture, nothing is drawn. A picture kept compressed is decoded
// for the shown part only, at the device's resolution up to MaxOutputPixelsPerMm; a PDF (the print
// system's included) gets those pixels band by band as they are decoded, since it keeps a copy of
// every image anyway.
void drawBackground(QPainter& painter, const Geometry& geometry, const LabelDocument& document,
                    const Picture& picture);

// The pixels drawBackground draws from on this painter, all at once: the whole picture when it is
// held decoded, else the shown part decoded as above. Null when there is nothing to draw.
ShownPixels::Placed backgroundPixels(const QPainter& painter, const Geometry& geometry,
                                     const LabelDocument& document, const Picture& picture);
// The label square's part of those pixels, drawn from the whole image as it is (no copy of a part
// of it): a PDF stores one image object for each distinct image, so pages drawn from the same
// pixels share it.
void drawWholePixels(QPainter& painter, const Geometry& geometry, const LabelDocument& document,
                     const ShownPixels::Placed& pixels);

// The pieces the screen's own drawing shares with drawBackground: whether the placement can be
// drawn at all; the shown rectangle; device pixels per millimetre of the picture where the painter
// draws, at most `maxLabelPxPerMm` per label millimetre; and drawing the shown part from an image
// that covers `extentMm` of the picture at `pxPerMmX` × `pxPerMmY` (only `rows` of the device).
bool placementDrawable(const LabelDocument& document);
QRectF shownMm(const LabelDocument& document);
QSizeF devicePxPerPictureMm(const QPainter& painter, const Geometry& geometry,
                            const LabelDocument& document, double maxLabelPxPerMm);
void drawShownPart(QPainter& painter, const Geometry& geometry, const LabelDocument& document,
                   const QRectF& extentMm, const QImage& image, double pxPerMmX, double pxPerMmY,
                   bool smoothEnlargement, DeviceRows rows = {});
// Whether the background covers every pixel of a view of `sidePx`, so clearing it can be left out.
bool backgroundFillsView(const QPainter& painter, double sidePx, const LabelDocument& document,
                         const Picture& picture);

// The frame's two guide circles (58 mm and 20 mm on a disc), one logical pixel wide, each pixel
// inverted.
void drawGuideCircles(QPainter& painter, const Geometry& geometry,
                      const DiscFrame& frame = DiscFrame::disc());

void drawTextItem(QPainter& painter, const Geometry& geometry, const TextItem& item);
void drawTextItems(QPainter& painter, const Geometry& geometry, const LabelDocument& document);

// The font of an item at a size in the painter's units on the given device. Sizes are clamped to
// a drawable range; the stored size is never changed.
QFont itemFont(const QString& fontName, double sizeUnits, const QPaintDevice* device);
double itemFontSizeUnits(const Geometry& geometry, const TextItem& item);

// Width and height of an item's text in label millimetres, measured with the view's font for a
// view of sidePx logical pixels.
QSizeF measureText(const TextItem& item, double viewSidePx);
// Stores that extent as the item's Width and Height, as inserting or editing an item does.
void measureItem(TextItem& item, double viewSidePx);
// A view at the label's real size (6917.4 twips at 15 twips per pixel): measured there, an
// item's extent is what the printed text takes.
inline constexpr double RealSizeViewPx = 6917.4 / 15;

enum class ViewResult { Drawn, BackgroundRefused };

// Everything the screen shows, on a cleared square of the given side: background, guide circles
// and text. When the background is refused the surface is left cleared (circles and text are not
// drawn) so the caller can run its limit handling.
ViewResult drawView(QPainter& painter, double sidePx, const LabelDocument& document,
                    const Picture& picture, const QColor& backgroundColor);

} // namespace LabelRenderer
