#pragma once

#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRawFont>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <vector>

class QFont;
class QPainter;

// Japanese vertical setting (縦書き): one line of text set top to bottom in one column.
//
// Column coordinates are pixels of the fonts' pixel size: the column's centre line is x = 0, its
// top is y = 0 and y grows downward. Japanese characters stand upright in their cells and take
// the font's vertical forms (ー as a vertical bar, brackets opening downward, 、。 at the top
// right, small kana shifted); Latin letters, digits and the like are turned 90° clockwise as a
// run; runs of one or two ASCII digits can stand upright side by side in one cell (縦中横).

struct VerticalOptions {
    qreal spacingPx = 0;        // added between character cells; negative draws them together
    bool uprightDigits = false; // 縦中横 for runs of exactly one or two ASCII digits
};

struct VerticalGlyph {
    quint32 index = 0;    // glyph index in the column's fonts[font]
    int font = 0;         // which of the column's fonts
    int cell = 0;         // the cell the glyph belongs to
    QPointF origin;       // where the glyph's origin goes, column coordinates
    bool turned = false;  // drawn turned 90° clockwise about its origin
    qreal widthScale = 1; // squeezed across its baseline (縦中横 digits wider than a cell)

    // Maps the glyph's own coordinates (origin at 0, y downward, as QRawFont::pathForGlyph gives
    // them) into column coordinates.
    QTransform transform() const;
};

// One user-perceived character, or one 縦中横 group, and the room it takes in the column.
struct VerticalCell {
    int start = 0; // the UTF-16 positions in the text the cell shows
    int length = 0;
    QRectF rect; // column coordinates; the space between cells belongs to none of them
    bool turned = false;
};

struct VerticalColumn {
    QList<QRawFont> fonts; // as given to layout(); glyphs refer to them by position
    std::vector<VerticalGlyph> glyphs;
    std::vector<VerticalCell> cells;
    QRectF extent; // all the cells together; an empty text gives one em wide and no height
};

namespace VerticalText {

// The item's font at `pixelSize`, followed by the font Qt would fall back on for Japanese when
// the item's font has no Japanese characters.
QList<QRawFont> fontsFor(const QFont& font, qreal pixelSize);

// Lays `text` out in one column. Each character is set in the first of `fonts` that has it (the
// first font when none has); the first font's em is the column's width.
VerticalColumn layout(const QList<QRawFont>& fonts, const QString& text,
                      const VerticalOptions& options = {});

// Draws the column's glyphs as glyph runs (text stays text in a PDF), with the column's
// coordinate origin (the top of its centre line) at `topCentre`, in the painter's pen colour.
void draw(QPainter& painter, const VerticalColumn& column, const QPointF& topCentre);

// The glyphs' outlines in column coordinates.
QPainterPath inkPath(const VerticalColumn& column);

} // namespace VerticalText
