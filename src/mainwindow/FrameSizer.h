#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSize>

class QWidget;

// Gives a top-level window the outer size (frame included) it was asked for. The frame's size is
// known only once the window manager has framed the shown window, so the client size is
// corrected then, once; a desktop that never reports a frame leaves the client at the size.
class FrameSizer : public QObject {
public:
    FrameSizer(QWidget* window, QSize frameSize);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void finish();

    QWidget* window_;
    QSize frameSize_;
    QElapsedTimer sinceShown_;
};
