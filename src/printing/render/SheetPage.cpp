#include "printing/render/SheetPage.h"

#include "printing/render/PrintRenderer.h"
#include "view/LabelRenderer.h"
#include "view/ShownPixels.h"

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
    if (positions.size() <= 1) {
        draw(painter, page, placement, positions, [&](QPainter& on, const Geometry& label, int) {
            PrintRenderer::drawLabel(on, label, document, picture,
                                     PrintRenderer::PictureUse::ShownPart, frame);
        });
        return;
    }
    const SharedBackground shared = shareBackground(painter, page, document, picture);
    const LabelDocument placed = shared.placed(document);
    draw(painter, page, placement, positions, [&](QPainter& on, const Geometry& label, int) {
        PrintRenderer::drawLabel(on, label, placed, shared.picture,
                                 PrintRenderer::PictureUse::ShownPart, frame);
    });
}

SharedBackground shareBackground(const QPainter& painter, const Geometry& geometry,
                                 const LabelDocument& document, const Picture& picture) {
    if (picture.isEmpty() || !LabelRenderer::placementDrawable(document))
        return SharedBackground{picture, QPointF()};
    const QRect area = ShownPixels::areaOf(picture, LabelRenderer::shownMm(document));
    if (area.isEmpty())
        return SharedBackground{picture, QPointF()};
    PictureRegion region;
    if (picture.decodedWhole()) {
        if (area == QRect(QPoint(0, 0), picture.pixelSize()))
            return SharedBackground{picture, QPointF()};
        region = PictureRegion{picture.image().copy(area), QRectF(area)};
    } else {
        const QSizeF wanted = LabelRenderer::devicePxPerPictureMm(
            painter, geometry, document, LabelRenderer::MaxOutputPixelsPerMm);
        region = ShownPixels::make(picture, area, wanted.width() / picture.pixelsPerMmX(),
                                   wanted.height() / picture.pixelsPerMmY());
    }
    if (region.isEmpty())
        return SharedBackground{Picture(), QPointF()};
    const double mmPerPxX = 1.0 / picture.pixelsPerMmX(), mmPerPxY = 1.0 / picture.pixelsPerMmY();
    const QSizeF extentMm(region.areaPx.width() * mmPerPxX, region.areaPx.height() * mmPerPxY);
    return SharedBackground{
        Picture(std::move(region.image), extentMm),
        QPointF(region.areaPx.left() * mmPerPxX, region.areaPx.top() * mmPerPxY)};
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
