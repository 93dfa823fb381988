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

// How the background reaches the device. ShownPart hands over only the part of the picture that
// shows. A PDF (the print system's included) stores one image object for each distinct image it
// is given, so labels printed one after another share the picture only when each hands over the
// whole picture (WholePicture); the ring clip then cuts out what shows.
enum class PictureUse { ShownPart, WholePicture };

// Draws the page content, the background on the frame's ring (the disc's, or a sticker's). The
// background is clipped by a vector path rather than combined with a raster mask, so printers
// without raster operations and PDF output keep crisp ring edges, and it is drawn from the
// full-resolution picture.
void drawLabel(QPainter& painter, const Geometry& geometry, const LabelDocument& document,
               const Picture& picture, PictureUse use = PictureUse::ShownPart,
               const DiscFrame& frame = DiscFrame::disc());

} // namespace PrintRenderer
