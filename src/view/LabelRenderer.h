#pragma once

#include "document/LabelDocument.h"
#include "platform/pictures/Picture.h"
#include "shapes/Geometry.h"
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

// The finest resolution a picture kept compressed is decoded at for a page: 600 pixels per inch
// of the label (2882 pixels across it), plenty for printing on a disc.
inline constexpr double MaxOutputPixelsPerMm = 600.0 / Units::MmPerInch;

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

// The picture the view shows: none while the shown part does not start on the picture (the
// gesture that put it there reports that and resets it; the view only draws).
const Picture& shownPicture(const LabelDocument& document, const Picture& picture);

// Everything the screen shows, on a cleared square of the given side: background, the frame's
// guide circles and text.
void drawView(QPainter& painter, double sidePx, const LabelDocument& document,
              const Picture& picture, const QColor& backgroundColor,
              const DiscFrame& frame = DiscFrame::disc());

} // namespace LabelRenderer
