#pragma once

#include "document/DiscFrame.h"
#include "platform/Units.h"

#include <QPointF>

class QPaintDevice;

// On screen a text item is drawn at s × Size points with s = view width in twips ÷ 6917.4, which
// makes one point 2440 / 6917.4 label millimetres. On paper a point is a true point.
inline constexpr double ScreenMmPerPoint = 2440.0 / 6917.4;
inline constexpr double PrintMmPerPoint = Units::MmPerPoint;
// A view at the label's real size (6917.4 twips at 15 twips per pixel): measured there, an item's
// extent is what the printed text takes.
inline constexpr double RealSizeViewPx = 6917.4 / Units::TwipsPerPixel;

// Where the label square lands on a painter's device: its top-left corner and its scale, in the
// painter's own (untransformed) units, and how many millimetres one text point takes. The one
// mapping between label millimetres and pixels: the renderers, the view's mouse and its frame.
struct Geometry {
    QPointF origin;
    double unitsPerMm = 1.0;
    double mmPerPoint = ScreenMmPerPoint;

    QPointF map(double xMm, double yMm) const {
        return {origin.x() + xMm * unitsPerMm, origin.y() + yMm * unitsPerMm};
    }
    QPointF map(QPointF mm) const { return map(mm.x(), mm.y()); }
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

    // The geometry of the screen view: a square of sidePx logical pixels.
    static Geometry screen(double sidePx) {
        return Geometry{QPointF(0, 0), sidePx / LabelSideMm, ScreenMmPerPoint};
    }
    // The label at its true size on a device whose painter origin is its top-left corner, moved
    // right and down by `leftMm` and `topMm`.
    static Geometry page(const QPaintDevice& device, double leftMm, double topMm);
    // A device's units per millimetre.
    static double unitsPerMmOf(const QPaintDevice& device);
};
