#pragma once

#include <QImage>
#include <QPointF>
#include <QWidget>

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

    // The move pointer shows while something is dragged.
    bool showsMovePointer() const;
    void showMovePointer();
    void showDefaultPointer();

signals:
    // Button: 1 left, 2 right, 4 middle (for moves, the sum of the buttons held); shift: 1 Shift,
    // 2 Ctrl, 4 Alt; x, y in label millimetres.
    void mouseDown(int button, int shift, float x, float y);
    void mouseMove(int button, int shift, float x, float y);
    void mouseUp(int button, int shift, float x, float y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage image_;
    SelectionFrame* selectionFrame_;
};
