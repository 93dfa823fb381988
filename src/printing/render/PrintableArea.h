#pragma once

#include <QRectF>
#include <QSizeF>

// Whether the label square lies on the part of the page a printer can reach. Print, the preview,
// the alignment sheet and merge ask before sending a label that does not; gpctool check reports
// it for a page given on the command line.
namespace PrintableArea {

// Page sizes pass between millimetres and points; a difference this small is rounding, not a
// label off the page.
inline constexpr double ToleranceMm = 0.01;

// How far the label square reaches past each edge of the area; 0 where it stays inside.
struct Overhang {
    double leftMm = 0;
    double topMm = 0;
    double rightMm = 0;
    double bottomMm = 0;

    bool any() const {
        return leftMm > ToleranceMm || topMm > ToleranceMm || rightMm > ToleranceMm ||
               bottomMm > ToleranceMm;
    }
};

// A label's printed square (or any rectangle), in millimetres from the area's top-left corner,
// on an area of `areaMm`. A position that is not a finite number reaches past every edge.
Overhang rectOverhang(const QSizeF& areaMm, const QRectF& rectMm);

} // namespace PrintableArea
