#include "view/widgets/SelectionFrame.h"

#include "document/LabelDocument.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

SelectionFrame::SelectionFrame(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("shpText"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
}

void SelectionFrame::setRectMm(const QRectF& rectMm) {
    rectMm_ = rectMm;
    updatePlacement();
}

void SelectionFrame::updatePlacement() {
    const double pxPerMm = parentWidget()->width() / double(LabelSideMm);
    const double limit = 1e6; // items far off the label leave the frame off the view
    auto px = [&](double mm) { return std::clamp(mm * pxPerMm, -limit, limit); };
    if (!std::isfinite(rectMm_.left()) || !std::isfinite(rectMm_.top()) ||
        !std::isfinite(rectMm_.width()) || !std::isfinite(rectMm_.height())) {
        setGeometry(0, 0, 0, 0);
        return;
    }
    const QRectF rectPx(QPointF(px(rectMm_.left()), px(rectMm_.top())),
                        QPointF(px(rectMm_.right()), px(rectMm_.bottom())));
    // One extra pixel on the right and bottom so the outline lies on the box's edges.
    setGeometry(QRect(QPoint(int(std::floor(rectPx.left())), int(std::floor(rectPx.top()))),
                      QPoint(int(std::ceil(rectPx.right())), int(std::ceil(rectPx.bottom())))));
}

void SelectionFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QPen pen(Qt::black);
    pen.setStyle(Qt::DotLine);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
