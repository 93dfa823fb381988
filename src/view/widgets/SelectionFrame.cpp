#include "view/widgets/SelectionFrame.h"

#include "view/LabelRenderer.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

SelectionFrame::SelectionFrame(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("shpText"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
}

void SelectionFrame::setOutlineMm(const QPainterPath& outlineMm) {
    outlineMm_ = outlineMm;
    rectMm_ = outlineMm.boundingRect();
    // A plain box is outlined on its edges as it always was; other shapes follow their outline.
    isBox_ = outlineMm.toFillPolygon() == QPolygonF(rectMm_);
    updatePlacement();
}

void SelectionFrame::updatePlacement() {
    const Geometry geometry = Geometry::screen(parentWidget()->width());
    const double limit = 1e6; // items far off the label leave the frame off the view
    auto px = [&](double xMm, double yMm) {
        const QPointF point = geometry.map(xMm, yMm);
        return QPointF(std::clamp(point.x(), -limit, limit), std::clamp(point.y(), -limit, limit));
    };
    if (!std::isfinite(rectMm_.left()) || !std::isfinite(rectMm_.top()) ||
        !std::isfinite(rectMm_.width()) || !std::isfinite(rectMm_.height())) {
        setGeometry(0, 0, 0, 0);
        return;
    }
    const QRectF rectPx(px(rectMm_.left(), rectMm_.top()), px(rectMm_.right(), rectMm_.bottom()));
    // One extra pixel on the right and bottom so the outline lies on the box's edges; one all
    // round for a smoothed outline.
    const QRect placed(QPoint(int(std::floor(rectPx.left())), int(std::floor(rectPx.top()))),
                       QPoint(int(std::ceil(rectPx.right())), int(std::ceil(rectPx.bottom()))));
    setGeometry(isBox_ ? placed : placed.adjusted(-1, -1, 1, 1));
}

void SelectionFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QPen pen(Qt::black);
    pen.setStyle(Qt::DotLine);
    pen.setCosmetic(true);
    painter.setPen(pen);
    if (isBox_) {
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        return;
    }
    const Geometry geometry = Geometry::screen(parentWidget()->width());
    QTransform toWidget;
    toWidget.translate(geometry.origin.x() - x(), geometry.origin.y() - y());
    toWidget.scale(geometry.unitsPerMm, geometry.unitsPerMm);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawPath(toWidget.map(outlineMm_));
}
