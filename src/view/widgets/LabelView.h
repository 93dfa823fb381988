#pragma once

#include <QImage>
#include <QPointF>
#include <QWidget>
#include <functional>

class SelectionFrame;

// picDoc: the label surface. It keeps the last drawing in an image of its own (so covering the
// window never loses it), carries the millimetre coordinate system (0, 0)–(122, 122) for mouse
// events, and holds the selection frame.
class LabelView : public QWidget {
    Q_OBJECT
public:
    explicit LabelView(QWidget* parent);

    // The drawing shown; set by the redraw and shown at once.
    const QImage& image() const { return image_; }
    void setImage(QImage image);

    SelectionFrame* selectionFrame() const { return selectionFrame_; }

    // A point of the view in label millimetres, as single-precision values.
    QPointF toMillimetres(QPointF pixels) const;
    QPointF toPixels(QPointF millimetres) const;

    // The move pointer of a drag: shown from the press to the release. Kept as a flag of its
    // own, so that the pointer shown while hovering over an item never counts as a drag.
    bool showsMovePointer() const { return dragPointer_; }
    void showMovePointer();
    void showDefaultPointer();

    // Tells whether a point (label mm) lies on something that can be dragged; while no button is
    // held the view then shows the move pointer there, and changes nothing else.
    void setHoverTest(std::function<bool(QPointF)> test);
    bool showsHoverPointer() const { return hoverPointer_; }

signals:
    // Button: 1 left, 2 right, 4 middle (for moves, the sum of the buttons held); shift: 1 Shift,
    // 2 Ctrl, 4 Alt; x, y in label millimetres.
    void mouseDown(int button, int shift, float x, float y);
    void mouseMove(int button, int shift, float x, float y);
    void mouseUp(int button, int shift, float x, float y);
    // The wheel turned by whole notches: positive when turned away from the user.
    void wheelTurned(int notches);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void updateHover(QPointF pixels);
    void applyPointer();

    QImage image_;
    SelectionFrame* selectionFrame_;
    std::function<bool(QPointF)> hoverTest_;
    bool dragPointer_ = false;
    bool hoverPointer_ = false;
    int wheelRemainder_ = 0; // eighths of a degree not yet making a notch
};
