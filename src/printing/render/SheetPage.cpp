#include "printing/render/SheetPage.h"

#include "printing/render/PrintRenderer.h"

#include <QPainter>
#include <algorithm>

namespace SheetPage {

QRectF Placement::labelSquareMm(int position) const {
    const QPointF corner = layout.labelOriginMm(position, offsetMm);
    const QPointF centre = corner + DiscFrame::CentreMm;
    const double halfX = LabelSideMm / 2 * scaleX, halfY = LabelSideMm / 2 * scaleY;
    return QRectF(centre.x() - halfX, centre.y() - halfY, 2 * halfX, 2 * halfY);
}

QRectF Placement::printedMm(int position) const {
    const QRectF square = labelSquareMm(position);
    if (layout.isDiscTray())
        return square;
    const double shareOfSquare = layout.outerDiameterMm / LabelSideMm;
    const QSizeF size(square.width() * shareOfSquare, square.height() * shareOfSquare);
    return QRectF(square.center() - QPointF(size.width() / 2, size.height() / 2), size);
}

std::vector<int> allPositions(const SheetLayout& layout) {
    std::vector<int> positions(std::size_t(layout.positionCount()));
    for (std::size_t i = 0; i < positions.size(); ++i)
        positions[i] = int(i);
    return positions;
}

void draw(QPainter& painter, const Geometry& page, const Placement& placement,
          const std::vector<int>& positions, const LabelContent& content) {
    for (const int position : positions) {
        if (position < 0 || position >= placement.layout.positionCount())
            continue;
        const Geometry label{page.map(placement.layout.labelOriginMm(position, placement.offsetMm)),
                             page.unitsPerMm, page.mmPerPoint};
        if (placement.trueSize()) {
            content(painter, label, position);
            continue;
        }
        painter.save();
        const QPointF centre = label.map(DiscFrame::CentreMm);
        painter.translate(centre);
        painter.scale(placement.scaleX, placement.scaleY);
        painter.translate(-centre);
        content(painter, label, position);
        painter.restore();
    }
}

void drawLabels(QPainter& painter, const Geometry& page, const Placement& placement,
                const std::vector<int>& positions, const LabelDocument& document,
                const Picture& picture) {
    const DiscFrame frame = placement.layout.frame();
    PrintRenderer::SharedBackground background(picture);
    draw(painter, page, placement, positions, [&](QPainter& on, const Geometry& label, int) {
        PrintRenderer::drawLabel(on, label, document, background, frame);
    });
}

std::vector<std::vector<Slot>> fill(const std::vector<int>& positions, int start, int labelCount) {
    std::vector<std::vector<Slot>> pages;
    if (positions.empty())
        return pages;
    std::size_t at = 0;
    while (at < positions.size() && positions[at] < start)
        ++at;
    if (at == positions.size())
        at = 0; // nothing left on the first page: start on a fresh one
    for (int label = 0; label < labelCount; ++label) {
        if (pages.empty() || at == positions.size()) {
            if (!pages.empty())
                at = 0;
            pages.emplace_back();
        }
        pages.back().push_back(Slot{positions[at++], label});
    }
    return pages;
}

} // namespace SheetPage
