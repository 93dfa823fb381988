#pragma once

#include <QRectF>
#include <QWidget>

// shpText: the frame around the selected text item. A child of the view lying above its image,
// so that moving it repaints only the frame's old and new area.
class SelectionFrame : public QWidget {
    Q_OBJECT
public:
    explicit SelectionFrame(QWidget* parent);

    // The frame's rectangle in label millimetres; the view places it in pixels.
    QRectF rectMm() const { return rectMm_; }
    void setRectMm(const QRectF& rectMm);
    void updatePlacement();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRectF rectMm_;
};
