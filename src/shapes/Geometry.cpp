#include "shapes/Geometry.h"

#include <QPaintDevice>

double Geometry::unitsPerMmOf(const QPaintDevice& device) {
    return device.logicalDpiX() / Units::MmPerInch;
}

Geometry Geometry::page(const QPaintDevice& device, double leftMm, double topMm) {
    const double unitsPerMm = unitsPerMmOf(device);
    return Geometry{QPointF(leftMm * unitsPerMm, topMm * unitsPerMm), unitsPerMm, PrintMmPerPoint};
}
