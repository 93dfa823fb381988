#pragma once

#include "platform/pictures/WmfContext.h"

#include <QByteArrayView>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QRectF>
#include <vector>

// Plays the drawing operations of a Windows metafile onto a bitmap. It keeps the device context,
// the SaveDC stack and the object table, maps logical coordinates to pixels and charges every
// drawing operation against a work budget, so that a file built to be slow is stopped.
class WmfCanvas {
public:
    // `frame` is the placeable header's bounding box in logical units; it fills the image.
    WmfCanvas(QImage& image, const QRectF& frame, double unitsPerInch, int objectCount,
              qint64 workBudget);
    ~WmfCanvas();
    WmfCanvas(const WmfCanvas&) = delete;
    WmfCanvas& operator=(const WmfCanvas&) = delete;

    bool exhausted() const { return budget_ < 0; }
    // Charges work done outside the painter (decoding a bitmap); false once the budget is gone.
    bool spend(qint64 cost) {
        budget_ -= cost;
        return !exhausted();
    }
    Wmf::DeviceContext& dc() { return dc_; }

    // Objects and state.
    void createObject(Wmf::Object object);
    void selectObject(int index);
    void deleteObject(int index);
    void saveDc();
    void restoreDc(int which);
    void setWindowOrg(double x, double y) { dc_.windowOrg = {x, y}; }
    void setWindowExt(double x, double y);
    void setViewportOrg(double x, double y);
    void setViewportExt(double x, double y);
    void offsetViewportOrg(double x, double y);
    void scaleWindowExt(int xNum, int xDenom, int yNum, int yDenom);
    void scaleViewportExt(int xNum, int xDenom, int yNum, int yDenom);
    void intersectClip(const QRectF& logical);
    void excludeClip(const QRectF& logical);

    // Shapes, in logical units.
    void moveTo(double x, double y) { dc_.position = {x, y}; }
    void lineTo(double x, double y);
    void rectangle(const QRectF& logical);
    void roundRect(const QRectF& logical, double cornerWidth, double cornerHeight);
    void ellipse(const QRectF& logical);
    enum class ArcKind { Arc, Pie, Chord };
    void arc(ArcKind kind, const QRectF& logical, QPointF start, QPointF end);
    void polygon(const QList<QPointF>& logical);
    void polyline(const QList<QPointF>& logical);
    void polyPolygon(const QList<QList<QPointF>>& logical);
    void setPixel(double x, double y, const QColor& color);
    void patBlt(quint32 rop, const QRectF& logical);
    void drawBitmap(const QImage& image, const QRectF& sourcePx, const QRectF& destLogical,
                    quint32 rop);

    // Text: the bytes as stored, decoded by the font's character set.
    struct TextRun {
        QPointF reference; // logical
        QByteArrayView bytes;
        QList<int> advances;          // logical, one per byte; empty: the font's own spacing
        std::optional<QRectF> opaque; // logical rectangle filled with the background colour
        std::optional<QRectF> clip;   // logical rectangle the text is clipped to
    };
    void text(const TextRun& run);

    // Text bytes in a font's character set (Shift-JIS for Japanese fonts). With `byteCounts`,
    // how many bytes each character of the result took.
    static QString decode(QByteArrayView bytes, int charset, QList<int>* byteCounts);

private:
    QPointF toDevice(QPointF logical) const;
    QPointF toDevice(double x, double y) const { return toDevice(QPointF(x, y)); }
    QRectF toDevice(const QRectF& logical) const;
    QList<QPointF> toDevice(const QList<QPointF>& logical) const;
    bool afford(const QRectF& device, qsizetype points);
    void applyClip();
    QPen devicePen() const;
    QBrush deviceBrush() const;
    void preparePainter();
    void finishShape(const QPainterPath& path, bool filled, qsizetype points);
    QFont deviceFont() const;
    void drawTextRun(const QString& text, const QList<int>& byteCounts, const TextRun& run);

    QImage& image_;
    QPainter painter_;
    Wmf::DeviceContext dc_;
    std::vector<Wmf::DeviceContext> saved_;
    std::vector<Wmf::Object> objects_;
    double pixelsPerUnitX_ = 1;
    double pixelsPerUnitY_ = 1;
    double pixelsPerInch_ = 96;
    qint64 budget_;
};
