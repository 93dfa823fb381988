#pragma once

#include <QPointF>

// The label square's side in millimetres; (61, 61) is the disc's centre.
inline constexpr float LabelSideMm = 122.0f;

// The circles of one printed label, about the centre of the label square: its physical edge, the
// two guide circles the screen shows and the check before printing measures against, and the ring
// the background picture is printed on. A disc in a printer's tray is one such frame; a round
// sticker on a sheet is another, its guides and ring being its own outer edge and hole.
struct DiscFrame {
    double edgeRadiusMm = 60.0;       // the disc's edge (the alignment sheet draws it)
    double outerGuideRadiusMm = 58.0; // ink past it lands on the tray
    double innerGuideRadiusMm = 20.0; // ink inside it lands on the hub
    double ringOuterRadiusMm = 61.0;  // the background prints between these two
    double ringInnerRadiusMm = 18.0;

    static constexpr QPointF CentreMm{LabelSideMm / 2.0, LabelSideMm / 2.0};

    // A printable disc in a printer's tray.
    static constexpr DiscFrame disc() { return DiscFrame{}; }
    // A round sticker: everything between its hole and its outer edge is printable.
    static constexpr DiscFrame sticker(double outerRadiusMm, double holeRadiusMm) {
        return DiscFrame{outerRadiusMm, outerRadiusMm, holeRadiusMm, outerRadiusMm, holeRadiusMm};
    }

    bool operator==(const DiscFrame&) const = default;
};
