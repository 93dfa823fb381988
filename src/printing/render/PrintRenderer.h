#pragma once

#include "document/LabelDocument.h"
#include "platform/pictures/Picture.h"
#include "view/LabelRenderer.h"

#include <QPainterPath>

class QPainter;
class QPaintDevice;

// The printed page: the label at its real size, the background only on the disc's ring, text at
// its stored point size, no guide circles and no selection frame. Print and the exporter share
// it, so a PDF or PNG from the command line is the very page the printer gets.
namespace PrintRenderer {

// The frame's picture ring as a path in the painter's units (odd-even fill: the hole stays out).
QPainterPath ringPath(const Geometry& geometry, const DiscFrame& frame = DiscFrame::disc());

// The background of a run of pages that share one picture (merge printing): its pixels are
// decoded for the first page and handed to every page after it as the same image, whole. A PDF
// (the print system's included) stores one image object for each distinct image it is given, so
// the run's file holds the picture once; the ring clip cuts out what shows. Made again only for a
// page with another placement or resolution.
class SharedBackground {
public:
    explicit SharedBackground(Picture picture) : picture_(std::move(picture)) {}

    const Picture& picture() const { return picture_; }
    const ShownPixels::Placed& pixelsFor(const QPainter& painter,
                                         const Geometry& geometry,
                                         const LabelDocument& document);

private:
    Picture picture_;
    QRectF shownMm_;
    QSizeF resolution_; // device pixels per millimetre of the picture
    ShownPixels::Placed pixels_;
};

// Draws the page content. The background is clipped by a vector path rather than combined with a
// raster mask, so printers without raster operations and PDF output keep crisp ring edges.
// The background lies on the frame's ring: the disc's, or a sticker's.
void drawLabel(QPainter& painter, const Geometry& geometry, const LabelDocument& document,
               const Picture& picture, const DiscFrame& frame = DiscFrame::disc());
// One label of a run (pages, or the labels of a sheet) that shares its background.
void drawLabel(QPainter& painter, const Geometry& geometry, const LabelDocument& document,
               SharedBackground& background, const DiscFrame& frame = DiscFrame::disc());

} // namespace PrintRenderer
