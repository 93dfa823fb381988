#pragma once

#include "document/TextItem.h"
#include "shapes/Geometry.h"

#include <QFont>
#include <QSizeF>

class QPaintDevice;

// The fonts text items are set in, and the measuring of a straight line of text.
namespace ItemFonts {

// Bounds that keep a damaged document drawable in bounded time: text is never drawn larger than
// a few label widths, and nothing is drawn at all below a hundredth of a unit.
inline constexpr double MinFontUnits = 0.01;
inline constexpr double MaxFontSideFactor = 4.0;

// The font of an item at a size in the painter's units on the given device, in the installed
// family its stored name resolves to (FontCatalog). Sizes are clamped to a drawable range; the
// stored size is never changed.
QFont itemFont(const QString& fontName, double sizeUnits, const QPaintDevice* device);
double itemFontSizeUnits(const Geometry& geometry, const TextItem& item);

// Width and height of an item's text set straight, in label millimetres, measured with the
// view's font for a view of sidePx logical pixels.
QSizeF measureText(const TextItem& item, double viewSidePx);

// An image at the screen's usual 96 dpi, the device measurements are made on.
const QPaintDevice* measuringDevice();
// An image at 1200 dpi: outlines and the layout of text along the disc are taken there, so that
// small text keeps its true shape.
const QPaintDevice* outlineDevice();

} // namespace ItemFonts
