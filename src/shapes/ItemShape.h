#pragma once

#include "document/TextItem.h"
#include "shapes/Geometry.h"

#include <QPainterPath>
#include <QPolygonF>
#include <QRawFont>
#include <QTransform>
#include <memory>
#include <mutex>
#include <vector>

class QColor;
class QPainter;

// An item laid out: where its text goes on the label, in label millimetres, for every layout.
// Drawing on every surface, the hit test, the selection frame, the check before printing and
// centring all read the same shape.
//
// Straight text is one line of text, set in the device's own font as the label always set it,
// turned about the centre of its box. Text along the disc and vertical text are laid out glyph by
// glyph at print resolution: along the disc each glyph stands upright on the circle, its baseline
// tangent to it; a vertical column runs down from the item's top-left corner.
class ItemShape {
public:
    // The shape of an item, laid out once and kept while the item's text, font, size, placement
    // and layout stay the same (its colour does not count).
    static std::shared_ptr<const ItemShape> of(const TextItem& item);
    // Lets every kept shape go, so that the next ones are laid out afresh (a benchmark of the
    // first layout).
    static void forgetAll();

    // Whether a point lies on the item's text: strictly inside its box (turned with it) for
    // straight text, so that a point on an edge misses as it always has; inside one of the
    // glyphs' boxes for text along the disc.
    bool contains(QPointF mm) const;
    // What the selection frame outlines: the box (turned), or the band of the glyphs' boxes.
    const QPainterPath& outlineMm() const { return outline_; }
    // The glyphs' outlines on the label at the size they print; empty for no ink.
    const QPainterPath& inkMm() const;

    void draw(QPainter& painter, const Geometry& geometry, const QColor& colour) const;

    // For text along the disc: the point the record's straight placement is centred on.
    QPointF arcMiddleMm() const { return arcMiddle_; }
    // For vertical text: the column's box, which the record keeps as its placement.
    QRectF columnMm() const { return columnMm_; }

    ItemShape(const ItemShape&) = delete;
    ItemShape& operator=(const ItemShape&) = delete;

private:
    struct Glyph {
        int font;        // index into fonts_
        quint32 index;   // the glyph in that font
        QTransform toMm; // the font's units (at print resolution) to label millimetres
    };

    explicit ItemShape(const TextItem& item);
    void layOutLine();
    void layOutArc();
    void layOutColumn();
    void drawLine(QPainter& painter, const Geometry& geometry) const;
    QTransform lineTurn() const; // label mm about the box's centre
    QPainterPath lineInk() const;

    TextItem item_;
    std::vector<QRawFont> fonts_;
    std::vector<Glyph> glyphs_;
    std::vector<QPolygonF> cells_;
    QPainterPath outline_;
    QPointF arcMiddle_;
    QRectF columnMm_;
    mutable std::once_flag inkOnce_;
    mutable QPainterPath ink_;
};
