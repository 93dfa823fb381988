#pragma once

#include "printing/render/SheetPage.h"
#include "view/LabelRenderer.h"

class QPainter;

// The alignment sheet: printed on a spare disc at the stored offset, it shows how far the print
// lies from the disc. Thin black lines: the label square, the disc's edge, the two guide circles
// and a millimetre scale along the horizontal and vertical lines through the centre (0 at the
// centre, positive to the right and down), with two lines of instructions. On a sticker it draws
// the sticker's edge and hole instead, and no square (ink there would land on the backing); its
// scale reaches a little past the edge, so that an edge printed too small can still be read.
namespace AlignmentSheet {

inline constexpr double LineWidthMm = 0.1;
// The scale runs over the whole disc.
inline constexpr int ScaleEndMm = 60;
// A sticker's scale runs this far past its edge, within the label square.
inline constexpr int StickerScaleBeyondMm = 2;

// Tick lengths on each side of the line.
inline constexpr double MinorTickMm = 0.75;
inline constexpr double MidTickMm = 1.5;
inline constexpr double MajorTickMm = 2.5;

// The reading of the scale where a disc edge meets it, on both sides of the centre, gives the
// disc's centre on the scale: the printer offset must move by their mean.
inline double correction(double firstReading, double secondReading) {
    return (firstReading + secondReading) / 2;
}

// How far the scale runs from the centre on a label of that frame.
int scaleEndMm(const DiscFrame& frame);

void draw(QPainter& painter, const Geometry& geometry, const DiscFrame& frame = DiscFrame::disc());

// The sheet at each position of a page (SheetPage::draw).
void drawPage(QPainter& painter, const Geometry& page, const SheetPage::Placement& placement,
              const std::vector<int>& positions);

} // namespace AlignmentSheet
