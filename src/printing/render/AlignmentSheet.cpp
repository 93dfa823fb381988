#include "printing/render/AlignmentSheet.h"

#include "shapes/ItemFonts.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace AlignmentSheet {

namespace {

constexpr double NumberHeightMm = 1.8;
constexpr double InstructionHeightMm = 2.1;
constexpr double CentreMm = LabelSideMm / 2;

// Two short lines in the upper right quarter, clear of the scale, the hub and the disc's edge.
constexpr QPointF InstructionsMm(CentreMm + 3, CentreMm - 27);
const char* const Instructions[] = {
    "ディスクの縁が目盛りと交わる値を読み、",
    "左・右・上・下の値を入力してください。",
};
const char* const StickerInstructions[] = {
    "シールの縁が目盛りと交わる値を読み、",
    "左・右・上・下の値を入力してください。",
};

bool isSticker(const DiscFrame& frame) {
    return !(frame == DiscFrame::disc());
}

QFont fontOfHeight(const QString& family, double heightMm, const Geometry& geometry,
                   const QPaintDevice* device) {
    return ItemFonts::itemFont(family, heightMm * geometry.unitsPerMm, device);
}

double tickLength(int mm) {
    if (mm % 10 == 0)
        return MajorTickMm;
    return mm % 5 == 0 ? MidTickMm : MinorTickMm;
}

void drawScale(QPainter& painter, const Geometry& geometry, int end) {
    const auto at = [&](double x, double y) { return geometry.map(x, y); };
    painter.drawLine(at(CentreMm - end, CentreMm), at(CentreMm + end, CentreMm));
    painter.drawLine(at(CentreMm, CentreMm - end), at(CentreMm, CentreMm + end));
    for (int mm = -end; mm <= end; ++mm) {
        const double length = tickLength(mm);
        painter.drawLine(at(CentreMm + mm, CentreMm - length),
                         at(CentreMm + mm, CentreMm + length));
        painter.drawLine(at(CentreMm - length, CentreMm + mm),
                         at(CentreMm + length, CentreMm + mm));
    }

    painter.setFont(
        fontOfHeight(QStringLiteral("DejaVu Sans"), NumberHeightMm, geometry, painter.device()));
    const double gap = MajorTickMm + 0.4;
    const double box = 8.0; // wide enough for "-60"
    for (int mm = -(end / 10) * 10; mm <= end; mm += 10) {
        const QString number = QString::number(mm);
        // Below the horizontal line, centred on its tick; the end numbers stay on the label.
        const double left = std::max(CentreMm + mm - box / 2, 0.3);
        const double right = std::min(CentreMm + mm + box / 2, LabelSideMm - 0.3);
        const Qt::Alignment across = left > CentreMm + mm - box / 2    ? Qt::AlignLeft
                                     : right < CentreMm + mm + box / 2 ? Qt::AlignRight
                                                                       : Qt::AlignHCenter;
        painter.drawText(
            QRectF(at(left, CentreMm + gap), at(right, CentreMm + gap + NumberHeightMm * 1.4)),
            across | Qt::AlignTop, number);
        // Right of the vertical line, centred on its tick; the centre's 0 is written once.
        if (mm != 0)
            painter.drawText(QRectF(at(CentreMm + gap, CentreMm + mm - NumberHeightMm),
                                    at(CentreMm + gap + box, CentreMm + mm + NumberHeightMm)),
                             Qt::AlignLeft | Qt::AlignVCenter, number);
    }
}

void drawInstructions(QPainter& painter, const Geometry& geometry, bool sticker) {
    const QFont font =
        fontOfHeight(QStringLiteral("IPAPGothic"), InstructionHeightMm, geometry, painter.device());
    painter.setFont(font);
    double top = InstructionsMm.y();
    for (const char* line : sticker ? StickerInstructions : Instructions) {
        painter.drawText(QRectF(geometry.map(InstructionsMm.x(), top),
                                geometry.map(LabelSideMm, top + InstructionHeightMm * 1.5)),
                         Qt::AlignLeft | Qt::AlignTop, QString::fromUtf8(line));
        top += InstructionHeightMm * 1.5;
    }
}

} // namespace

int scaleEndMm(const DiscFrame& frame) {
    if (!isSticker(frame))
        return ScaleEndMm;
    return std::min(int(LabelSideMm / 2),
                    int(std::ceil(frame.edgeRadiusMm)) + StickerScaleBeyondMm);
}

void draw(QPainter& painter, const Geometry& geometry, const DiscFrame& frame) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(Qt::black, LineWidthMm * geometry.unitsPerMm);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);

    const bool sticker = isSticker(frame);
    if (!sticker)
        painter.drawRect(QRectF(geometry.map(0, 0), geometry.map(LabelSideMm, LabelSideMm)));
    const QPointF centre = geometry.map(CentreMm, CentreMm);
    const double radii[] = {frame.edgeRadiusMm, frame.outerGuideRadiusMm, frame.innerGuideRadiusMm};
    for (std::size_t i = 0; i < std::size(radii); ++i) {
        if (std::find(radii, radii + i, radii[i]) != radii + i)
            continue; // a sticker's edge is its outer guide too
        const double r = radii[i] * geometry.unitsPerMm;
        painter.drawEllipse(centre, r, r);
    }
    drawScale(painter, geometry, scaleEndMm(frame));
    drawInstructions(painter, geometry, sticker);
    painter.restore();
}

void drawPage(QPainter& painter, const Geometry& page, const SheetPage::Placement& placement,
              const std::vector<int>& positions) {
    const DiscFrame frame = placement.layout.frame();
    SheetPage::draw(painter, page, placement, positions,
                    [&](QPainter& on, const Geometry& label, int) { draw(on, label, frame); });
}

} // namespace AlignmentSheet
