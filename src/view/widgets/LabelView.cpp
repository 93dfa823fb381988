#include "view/widgets/LabelView.h"

#include "view/LabelRenderer.h"
#include "view/widgets/SelectionFrame.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace {
int buttonValue(Qt::MouseButtons buttons) {
    int value = 0;
    if (buttons & Qt::LeftButton)
        value |= 1;
    if (buttons & Qt::RightButton)
        value |= 2;
    if (buttons & Qt::MiddleButton)
        value |= 4;
    return value;
}

int shiftValue(Qt::KeyboardModifiers modifiers) {
    int value = 0;
    if (modifiers & Qt::ShiftModifier)
        value |= 1;
    if (modifiers & Qt::ControlModifier)
        value |= 2;
    if (modifiers & Qt::AltModifier)
        value |= 4;
    return value;
}
} // namespace

LabelView::LabelView(QWidget* parent) : QWidget(parent), selectionFrame_(new SelectionFrame(this)) {
    setObjectName(QStringLiteral("picDoc"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    // A click gives the label the keyboard, for the arrow keys.
    setFocusPolicy(Qt::ClickFocus);
}

void LabelView::setImage(QImage image) {
    image_ = std::move(image);
    update();
}

QPointF LabelView::toMillimetres(QPointF pixels) const {
    return Geometry::screen(width()).unmap(pixels);
}

QPointF LabelView::toPixels(QPointF millimetres) const {
    return Geometry::screen(width()).map(millimetres.x(), millimetres.y());
}

void LabelView::showMovePointer() {
    dragPointer_ = true;
    applyPointer();
}

void LabelView::showDefaultPointer() {
    dragPointer_ = false;
    applyPointer();
}

void LabelView::setHoverTest(std::function<bool(QPointF)> test) {
    hoverTest_ = std::move(test);
    setMouseTracking(bool(hoverTest_));
}

void LabelView::updateHover(QPointF pixels) {
    hoverPointer_ =
        hoverTest_ && rect().contains(pixels.toPoint()) && hoverTest_(toMillimetres(pixels));
    applyPointer();
}

void LabelView::applyPointer() {
    if (dragPointer_ || hoverPointer_)
        setCursor(Qt::SizeAllCursor);
    else
        unsetCursor();
}

void LabelView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // Only the exposed part is copied: a moving frame repaints two thin strips, not the label.
    const QRect area = event->rect();
    painter.fillRect(area, palette().color(QPalette::Base));
    if (!image_.isNull()) {
        const qreal ratio = image_.devicePixelRatio();
        const QRectF source(area.x() * ratio, area.y() * ratio, area.width() * ratio,
                            area.height() * ratio);
        painter.drawImage(QRectF(area), image_, source);
    }
}

void LabelView::mousePressEvent(QMouseEvent* event) {
    const QPointF mm = toMillimetres(event->position());
    emit mouseDown(buttonValue(event->button()), shiftValue(event->modifiers()), float(mm.x()),
                   float(mm.y()));
}

void LabelView::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() == Qt::NoButton)
        updateHover(event->position());
    const QPointF mm = toMillimetres(event->position());
    emit mouseMove(buttonValue(event->buttons()), shiftValue(event->modifiers()), float(mm.x()),
                   float(mm.y()));
}

void LabelView::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF mm = toMillimetres(event->position());
    emit mouseUp(buttonValue(event->button()), shiftValue(event->modifiers()), float(mm.x()),
                 float(mm.y()));
    // What lies under the pointer may have moved with the drag.
    if (event->buttons() == Qt::NoButton)
        updateHover(event->position());
}

// The first press of a double click has selected already; the second starts no drag.
void LabelView::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

void LabelView::resizeEvent(QResizeEvent*) {
    selectionFrame_->updatePlacement();
}

void LabelView::leaveEvent(QEvent*) {
    hoverPointer_ = false;
    applyPointer();
}

// Whole notches only: a high-resolution wheel or touchpad adds up its small steps first.
void LabelView::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        event->ignore();
        return;
    }
    // Where the desktop reverses the wheel's direction, the turn of the wheel itself counts.
    wheelRemainder_ += event->inverted() ? -delta : delta;
    const int notches = wheelRemainder_ / QWheelEvent::DefaultDeltasPerStep;
    wheelRemainder_ -= notches * QWheelEvent::DefaultDeltasPerStep;
    event->accept();
    if (notches != 0)
        emit wheelTurned(notches);
}
