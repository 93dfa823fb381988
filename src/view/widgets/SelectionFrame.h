#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QWidget>

// shpText: the frame around the selected text item: its box, or its outline when the text is
// turned or set along the disc. A child of the view lying above its image,
// so that moving it repaints only the frame's old and new area.
class SelectionFrame : public QWidget {
    Q_OBJECT
public:
    explicit SelectionFrame(QWidget* parent);

    // The frame's outline in label millimetres (the view places it in pixels), and its bounds.
    const QPainterPath& outlineMm() const { return outlineMm_; }
    QRectF rectMm() const { return rectMm_; }
    void setOutlineMm(const QPainterPath& outlineMm);
    void updatePlacement();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPainterPath outlineMm_;
    QRectF rectMm_;
    bool isBox_ = true;
};
