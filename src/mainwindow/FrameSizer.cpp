#include "mainwindow/FrameSizer.h"

#include <QEvent>
#include <QWidget>

namespace {
// The frame arrives within moments of the first showing; later size changes are the user's.
constexpr qint64 WaitForFrameMs = 2000;
} // namespace

FrameSizer::FrameSizer(QWidget* window, QSize frameSize)
    : QObject(window), window_(window), frameSize_(frameSize) {
    window_->installEventFilter(this);
}

bool FrameSizer::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
    case QEvent::Show:
        sinceShown_.start();
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::UpdateRequest:
    case QEvent::WindowActivate:
        break;
    default:
        return false;
    }
    if (!sinceShown_.isValid())
        return false;
    const QSize frame = window_->frameGeometry().size() - window_->size();
    if (!frame.isNull()) {
        window_->resize(frameSize_ - frame);
        finish();
    } else if (sinceShown_.elapsed() > WaitForFrameMs) {
        finish();
    }
    return false;
}

void FrameSizer::finish() {
    window_->removeEventFilter(this);
    deleteLater();
}
