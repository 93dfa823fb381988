#include "printing/render/AlignmentSheet.h"

#include "shapes/ItemFonts.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

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

QFont fontOfHeight(const QString& family, double heightMm, const Geometry& geometry,
                   const QPaintDevice* device) {
    return ItemFonts::itemFont(family, heightMm * geometry.unitsPerMm, device);
}

double tickLength(int mm) {
    if (mm % 10 == 0)
        return MajorTickMm;
    return mm % 5 == 0 ? MidTickMm : MinorTickMm;
}

void drawScale(QPainter& painter, const Geometry& geometry) {
    const auto at = [&](double x, double y) { return geometry.map(x, y); };
    painter.drawLine(at(CentreMm - ScaleEndMm, CentreMm), at(CentreMm + ScaleEndMm, CentreMm));
    painter.drawLine(at(CentreMm, CentreMm - ScaleEndMm), at(CentreMm, CentreMm + ScaleEndMm));
    for (int mm = -ScaleEndMm; mm <= ScaleEndMm; ++mm) {
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
    for (int mm = -ScaleEndMm; mm <= ScaleEndMm; mm += 10) {
        const QString number = QString::number(mm);
        // Below the horizontal line, centred on its tick; the end numbers stay on the label.
        const double left = std::max(CentreMm + mm - box / 2, 0.3);
        const double right = std::min(CentreMm + mm + box / 2, LabelSideMm - 0.3);
        const Qt::Alignment across = mm == -ScaleEndMm  ? Qt::AlignLeft
                                     : mm == ScaleEndMm ? Qt::AlignRight
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

void drawInstructions(QPainter& painter, const Geometry& geometry) {
    const QFont font =
        fontOfHeight(QStringLiteral("IPAPGothic"), InstructionHeightMm, geometry, painter.device());
    painter.setFont(font);
    double top = InstructionsMm.y();
    for (const char* line : Instructions) {
        painter.drawText(QRectF(geometry.map(InstructionsMm.x(), top),
                                geometry.map(LabelSideMm, top + InstructionHeightMm * 1.5)),
                         Qt::AlignLeft | Qt::AlignTop, QString::fromUtf8(line));
        top += InstructionHeightMm * 1.5;
    }
}

} // namespace

void draw(QPainter& painter, const Geometry& geometry) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(Qt::black, LineWidthMm * geometry.unitsPerMm);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);

    painter.drawRect(QRectF(geometry.map(0, 0), geometry.map(LabelSideMm, LabelSideMm)));
    const QPointF centre = geometry.map(CentreMm, CentreMm);
    const DiscFrame frame = DiscFrame::disc();
    for (const double radiusMm :
         {frame.edgeRadiusMm, frame.outerGuideRadiusMm, frame.innerGuideRadiusMm}) {
        const double r = radiusMm * geometry.unitsPerMm;
        painter.drawEllipse(centre, r, r);
    }
    drawScale(painter, geometry);
    drawInstructions(painter, geometry);
    painter.restore();
}

} // namespace AlignmentSheet
