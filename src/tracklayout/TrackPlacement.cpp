#include "tracklayout/TrackPlacement.h"

#include "document/DiscFrame.h"
#include "shapes/ItemPlacement.h"

#include <algorithm>

namespace TrackPlacement {

namespace {

constexpr double HubGapMm = 1.0;
constexpr double LineSpacing = 1.4;
// Where a title starts below the label's top edge: inside the outer guide circle with room for
// a wide title across the chord there.
constexpr double TitleTopMm = 14.0;
constexpr std::int32_t LargestTitlePoints = 72;

TextItem measured(const QString& text, std::int32_t sizePoints, const TextStyle& style,
                  double viewSidePx) {
    TextItem item;
    item.Text = text;
    item.FontName = style.fontName;
    item.Size = sizePoints;
    item.Color = style.color;
    ItemPlacement::measure(item, viewSidePx);
    return item;
}

float widest(const std::vector<TextItem>& items, std::size_t from, std::size_t to) {
    float width = 0;
    for (std::size_t i = from; i < to; ++i)
        width = std::max(width, items[i].Width);
    return width;
}

// One circle per line, centred at the bottom of the disc from the outer guide circle inward, and
// when the ring there is full, at the top from the outer circle (below the title) inward.
void placeOnArcs(std::vector<TextItem>& items, std::size_t first, double step,
                 double titleBottom) {
    const DiscFrame disc = DiscFrame::disc();
    const double outermost = disc.outerGuideRadiusMm - HubGapMm - step / LineSpacing;
    const double innermost = disc.innerGuideRadiusMm + HubGapMm + step / LineSpacing;
    const double topOutermost =
        titleBottom > 0 ? std::min(outermost, DiscFrame::CentreMm.y() - titleBottom - step)
                        : outermost;
    double radius = outermost;
    bool bottom = true;
    for (std::size_t i = first; i < items.size(); ++i) {
        if (bottom && radius < innermost) {
            bottom = false;
            radius = topOutermost;
        }
        TextItem& item = items[i];
        item.layout.kind = TextLayoutKind::Arc;
        item.layout.side = ArcSide::Auto;
        item.layout.align = ArcAlign::Centre;
        item.layout.angleDeg = bottom ? 180 : 0;
        item.layout.radiusMm = float(std::clamp(radius, double(TextLayout::MinRadiusMm),
                                                double(TextLayout::MaxRadiusMm)));
        ItemPlacement::placeRecord(item);
        radius -= step;
    }
}

} // namespace

std::int32_t titleSizePoints(std::int32_t lineSizePoints) {
    return std::clamp(lineSizePoints * 2, lineSizePoints, LargestTitlePoints);
}

std::vector<TextItem> place(const QStringList& lines, const QString& title, Layout layout,
                            const TextStyle& style, double viewSidePx) {
    std::vector<TextItem> items;
    items.reserve(std::size_t(lines.size()) + 1);
    double titleBottom = 0;
    if (!title.isEmpty()) {
        TextItem heading = measured(title, titleSizePoints(style.sizePoints), style, viewSidePx);
        heading.Left = (LabelSideMm - heading.Width) / 2;
        heading.Top = float(TitleTopMm);
        titleBottom = TitleTopMm + heading.Height;
        items.push_back(std::move(heading));
    }
    const std::size_t first = items.size();
    for (const QString& line : lines)
        items.push_back(measured(line, style.sizePoints, style, viewSidePx));
    if (items.size() == first)
        return items;

    float lineHeight = 0;
    for (std::size_t i = first; i < items.size(); ++i)
        lineHeight = std::max(lineHeight, items[i].Height);
    const double step = LineSpacing * lineHeight;
    if (layout == Layout::Arc) {
        placeOnArcs(items, first, step, titleBottom);
        return items;
    }
    const std::size_t count = items.size() - first;
    const std::size_t leftCount = layout == Layout::TwoColumns ? (count + 1) / 2 : 0;
    const std::size_t rows = std::max(leftCount, count - leftCount);
    const double blockHeight = double(rows - 1) * step + lineHeight;
    // Centred down the disc, but never over the title (half a line's gap below it).
    double top = DiscFrame::CentreMm.y() - blockHeight / 2;
    if (titleBottom > 0)
        top = std::max(top, titleBottom + lineHeight / 2);

    const DiscFrame disc = DiscFrame::disc();
    const double rightColumn = DiscFrame::CentreMm.x() + disc.innerGuideRadiusMm + HubGapMm;
    const double leftColumnEnd = DiscFrame::CentreMm.x() - disc.innerGuideRadiusMm - HubGapMm;
    const double leftColumn = leftColumnEnd - widest(items, first, first + leftCount);
    for (std::size_t k = 0; k < count; ++k) {
        TextItem& item = items[first + k];
        const bool left = k < leftCount;
        const std::size_t row = left ? k : k - leftCount;
        item.Left = float(left ? leftColumn : rightColumn);
        item.Top = float(top + double(row) * step);
    }
    return items;
}

} // namespace TrackPlacement
