#include "shapes/ItemShape.h"

#include "shapes/ItemFonts.h"
#include "text/VerticalText.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <unordered_map>

namespace {

// Items this far away are never drawn: they print nothing, and the rasteriser is spared them.
constexpr double FarAwayMm = LabelSideMm * 100;
// Shapes kept for reuse; more than the items of a few labels. When full, the cache starts again.
constexpr std::size_t CachedShapes = 2048;

bool finite(float value) {
    return std::isfinite(value);
}

double radians(double degrees) {
    return degrees * std::numbers::pi / 180;
}

double degrees(double radians) {
    return radians * 180 / std::numbers::pi;
}

// A point on a circle about the disc's centre, `angleDeg` clockwise from 12 o'clock.
QPointF onCircle(double radiusMm, double angleDeg) {
    const double a = radians(angleDeg);
    return DiscFrame::CentreMm + QPointF(radiusMm * std::sin(a), -radiusMm * std::cos(a));
}

// Geometry of the print-resolution device the layout of text along the disc is made on.
Geometry layoutGeometry() {
    const double unitsPerMm = Geometry::unitsPerMmOf(*ItemFonts::outlineDevice());
    return Geometry{QPointF(0, 0), unitsPerMm, PrintMmPerPoint};
}

// What makes two items' shapes the same: everything but the colour, and not what the record keeps
// only as derived from the layout (for text along the disc its straight placement, for vertical
// text its extent).
TextItem shapeKey(const TextItem& item) {
    TextItem key = item;
    key.Color = 0;
    key.layout = item.layout.normalized();
    if (item.layout.kind == TextLayoutKind::Arc)
        key.Left = key.Top = key.Width = key.Height = 0;
    if (item.layout.kind == TextLayoutKind::Vertical)
        key.Width = key.Height = 0; // the column's extent, derived from it
    return key;
}

struct KeyHash {
    std::size_t operator()(const TextItem& item) const {
        const TextLayout& l = item.layout;
        return qHashMulti(0, item.Text, item.FontName, item.Size, item.Left, item.Top, item.Width,
                          item.Height, int(l.kind), l.rotationDeg, l.radiusMm, l.angleDeg,
                          int(l.side), int(l.align), l.spacingMm, l.uprightDigits);
    }
};

struct ShapeCache {
    std::mutex mutex;
    std::unordered_map<TextItem, std::shared_ptr<const ItemShape>, KeyHash> shapes;
};

ShapeCache& cache() {
    static ShapeCache instance;
    return instance;
}

// The band between two radii over an angle range (degrees clockwise from 12 o'clock), as a
// polygon fine enough to look round at any size the label is shown.
QPolygonF band(double innerMm, double outerMm, double fromDeg, double toDeg) {
    const int steps = std::clamp(int(std::ceil(std::abs(toDeg - fromDeg) / 2)), 1, 360);
    QPolygonF polygon;
    for (int i = 0; i <= steps; ++i)
        polygon << onCircle(outerMm, fromDeg + (toDeg - fromDeg) * i / steps);
    for (int i = steps; i >= 0; --i)
        polygon << onCircle(innerMm, fromDeg + (toDeg - fromDeg) * i / steps);
    polygon << polygon.first();
    return polygon;
}

// One glyph of a laid-out line, in the layout device's units from the line's start.
struct LineGlyph {
    QRawFont font;
    quint32 index = 0;
    double x = 0;       // the glyph's origin along the line
    double y = 0;       // its offset from the baseline (0 for ordinary text)
    double advance = 0; // how far the next glyph would follow
};

std::vector<LineGlyph> lineGlyphs(const QString& text, const QFont& font,
                                  const QPaintDevice* device, double baseline) {
    QTextLayout layout(text, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    std::vector<LineGlyph> glyphs;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        const QList<QPointF> advances = run.rawFont().advancesForGlyphIndexes(
            indexes, QRawFont::SeparateAdvances | QRawFont::UseDesignMetrics);
        for (qsizetype i = 0; i < indexes.size(); ++i)
            glyphs.push_back(LineGlyph{run.rawFont(), indexes[i], positions[i].x(),
                                       positions[i].y() - baseline, advances[i].x()});
    }
    std::stable_sort(glyphs.begin(), glyphs.end(),
                     [](const LineGlyph& a, const LineGlyph& b) { return a.x < b.x; });
    return glyphs;
}

} // namespace

std::shared_ptr<const ItemShape> ItemShape::of(const TextItem& item) {
    const TextItem key = shapeKey(item);
    ShapeCache& shapes = cache();
    {
        const std::lock_guard lock(shapes.mutex);
        if (const auto found = shapes.shapes.find(key); found != shapes.shapes.end())
            return found->second;
    }
    // Laid out outside the lock: another thread may lay out the same item meanwhile, which only
    // costs the time.
    std::shared_ptr<const ItemShape> shape(new ItemShape(key));
    const std::lock_guard lock(shapes.mutex);
    if (shapes.shapes.size() >= CachedShapes)
        shapes.shapes.clear();
    shapes.shapes.emplace(key, shape);
    return shape;
}

void ItemShape::forgetAll() {
    ShapeCache& shapes = cache();
    const std::lock_guard lock(shapes.mutex);
    shapes.shapes.clear();
}

ItemShape::ItemShape(const TextItem& item) : item_(item) {
    switch (item.layout.kind) {
    case TextLayoutKind::Straight:
        layOutLine();
        break;
    case TextLayoutKind::Arc:
        layOutArc();
        break;
    case TextLayoutKind::Vertical:
        layOutColumn();
        break;
    }
}

// ---- Straight text ---------------------------------------------------------------------------

QTransform ItemShape::lineTurn() const {
    QTransform turn;
    const double angle = item_.layout.rotationDeg;
    if (angle == 0 || !finite(angle))
        return turn;
    const QPointF centre = item_.boxMm().center();
    turn.translate(centre.x(), centre.y());
    turn.rotate(angle);
    turn.translate(-centre.x(), -centre.y());
    return turn;
}

void ItemShape::layOutLine() {
    const QRectF box = item_.boxMm();
    QPainterPath outline;
    outline.addRect(box);
    outline_ = lineTurn().map(outline);
}

bool ItemShape::contains(QPointF mm) const {
    if (item_.layout.kind != TextLayoutKind::Straight) {
        return std::any_of(cells_.begin(), cells_.end(), [&](const QPolygonF& cell) {
            return cell.containsPoint(mm, Qt::OddEvenFill);
        });
    }
    float x = float(mm.x()), y = float(mm.y());
    if (item_.layout.rotationDeg != 0) {
        const QPointF unturned = lineTurn().inverted().map(mm);
        x = float(unturned.x());
        y = float(unturned.y());
    }
    // Strictly inside: a point on an edge misses. Each sum is formed in single precision before
    // it is compared, as the stored values are.
    const float right = item_.Left + item_.Width;
    const float bottom = item_.Top + item_.Height;
    return item_.Left < x && x < right && item_.Top < y && y < bottom;
}

void ItemShape::drawLine(QPainter& painter, const Geometry& geometry) const {
    const double sizeUnits = ItemFonts::itemFontSizeUnits(geometry, item_);
    if (!(sizeUnits >= ItemFonts::MinFontUnits) || !finite(item_.Left) || !finite(item_.Top) ||
        item_.Text.isEmpty())
        return;
    const QFont font = ItemFonts::itemFont(item_.FontName, sizeUnits, painter.device());
    const QFontMetricsF metrics(font, painter.device());
    const QPointF topLeft = geometry.map(item_.Left, item_.Top);
    const double limit = geometry.sideUnits() * 100;
    if (std::abs(topLeft.x()) > limit || std::abs(topLeft.y()) > limit)
        return;
    painter.setFont(font);
    const double angle = item_.layout.rotationDeg;
    if (angle != 0) {
        const QPointF centre = geometry.map(item_.boxMm().center());
        painter.translate(centre);
        painter.rotate(angle);
        painter.translate(-centre);
    }
    painter.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), item_.Text);
}

// The glyph outlines at print resolution, placed as the printed page places them.
QPainterPath ItemShape::lineInk() const {
    if (item_.Text.trimmed().isEmpty() || !finite(item_.Left) || !finite(item_.Top) ||
        std::abs(item_.Left) > FarAwayMm || std::abs(item_.Top) > FarAwayMm)
        return QPainterPath();
    const QPaintDevice* device = ItemFonts::outlineDevice();
    const Geometry geometry = layoutGeometry();
    const double sizeUnits = ItemFonts::itemFontSizeUnits(geometry, item_);
    if (!(sizeUnits >= ItemFonts::MinFontUnits))
        return QPainterPath();
    const QFont font(ItemFonts::itemFont(item_.FontName, sizeUnits, device),
                     const_cast<QPaintDevice*>(device));
    const QFontMetricsF metrics(font, device);
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    path.addText(QPointF(0, metrics.ascent()), font, item_.Text);
    QTransform toLabel;
    toLabel.translate(item_.Left, item_.Top);
    toLabel.scale(1 / geometry.unitsPerMm, 1 / geometry.unitsPerMm);
    return lineTurn().map(toLabel.map(path));
}

// ---- Text along the disc ---------------------------------------------------------------------

void ItemShape::layOutArc() {
    const TextLayout& layout = item_.layout;
    const Geometry geometry = layoutGeometry();
    const double sizeUnits = ItemFonts::itemFontSizeUnits(geometry, item_);
    if (!(sizeUnits >= ItemFonts::MinFontUnits) || item_.Text.isEmpty() || !layout.isValid())
        return;
    const QPaintDevice* device = ItemFonts::outlineDevice();
    const QFont font = ItemFonts::itemFont(item_.FontName, sizeUnits, device);
    const QFontMetricsF metrics(font, device);
    const double mmPerUnit = 1 / geometry.unitsPerMm;
    const double ascentMm = metrics.ascent() * mmPerUnit, descentMm = metrics.descent() * mmPerUnit;
    const std::vector<LineGlyph> line = lineGlyphs(item_.Text, font, device, metrics.ascent());

    // Spacing along the circle is measured at the glyphs' mid-height, so that text neither
    // crowds on the inside of the circle nor gapes on the outside.
    const bool outside = layout.resolvedSide() == ArcSide::Outside;
    const double middleOffsetMm = (ascentMm - descentMm) / 2;
    const double radiusMm = layout.radiusMm;
    const double middleRadiusMm =
        std::max(0.5, outside ? radiusMm + middleOffsetMm : radiusMm - middleOffsetMm);

    // Where each glyph's middle falls along the line, in millimetres, with the extra spacing
    // after every glyph that advances.
    std::vector<double> middles;
    double lengthMm = 0;
    int advancing = 0;
    for (const LineGlyph& glyph : line) {
        const double startMm = glyph.x * mmPerUnit + layout.spacingMm * advancing;
        middles.push_back(startMm + glyph.advance * mmPerUnit / 2);
        lengthMm = std::max(lengthMm, startMm + glyph.advance * mmPerUnit);
        if (glyph.advance > 0)
            ++advancing;
    }

    // Outside reads clockwise (angles grow along the text), inside counter-clockwise.
    const double direction = outside ? 1 : -1;
    const double spanDeg = degrees(lengthMm / middleRadiusMm);
    const double share = layout.align == ArcAlign::Start    ? 0.0
                         : layout.align == ArcAlign::Centre ? 0.5
                                                            : 1.0;
    const double startDeg = layout.angleDeg - direction * share * spanDeg;
    const double endDeg = startDeg + direction * spanDeg;
    const double turnDeg = outside ? 0 : 180;

    for (std::size_t i = 0; i < line.size(); ++i) {
        const LineGlyph& glyph = line[i];
        const double angleDeg = startDeg + direction * degrees(middles[i] / middleRadiusMm);
        const double advanceMm = glyph.advance * mmPerUnit;
        QTransform toMm;
        const QPointF base = onCircle(radiusMm, angleDeg);
        toMm.translate(base.x(), base.y());
        toMm.rotate(angleDeg + turnDeg);
        toMm.translate(-advanceMm / 2, glyph.y * mmPerUnit);
        toMm.scale(mmPerUnit, mmPerUnit);
        auto font = std::find(fonts_.begin(), fonts_.end(), glyph.font);
        if (font == fonts_.end())
            font = fonts_.insert(fonts_.end(), glyph.font);
        glyphs_.push_back(Glyph{int(font - fonts_.begin()), glyph.index, toMm});
        if (glyph.advance > 0) {
            const QRectF cell(0, -metrics.ascent(), glyph.advance,
                              metrics.ascent() + metrics.descent());
            cells_.push_back(toMm.map(QPolygonF(cell)));
        }
    }
    const double inner = outside ? radiusMm - descentMm : radiusMm - ascentMm;
    const double outer = outside ? radiusMm + ascentMm : radiusMm + descentMm;
    if (!glyphs_.empty())
        outline_.addPolygon(band(std::max(0.0, inner), outer, startDeg, endDeg));
    arcMiddle_ = onCircle(middleRadiusMm, (startDeg + endDeg) / 2);
}

// ---- Vertical text ---------------------------------------------------------------------------

// The column is set at print resolution; its box's top-left corner is the item's Left and Top.
void ItemShape::layOutColumn() {
    const TextLayout& layout = item_.layout;
    const Geometry geometry = layoutGeometry();
    const double sizeUnits = ItemFonts::itemFontSizeUnits(geometry, item_);
    if (!(sizeUnits >= ItemFonts::MinFontUnits) || item_.Text.isEmpty() || !layout.isValid() ||
        !finite(item_.Left) || !finite(item_.Top) || std::abs(item_.Left) > FarAwayMm ||
        std::abs(item_.Top) > FarAwayMm)
        return;
    const QPaintDevice* device = ItemFonts::outlineDevice();
    const QFont font = ItemFonts::itemFont(item_.FontName, sizeUnits, device);
    const VerticalColumn column =
        VerticalText::layout(VerticalText::fontsFor(font, sizeUnits), item_.Text,
                             VerticalOptions{layout.spacingMm * geometry.unitsPerMm,
                                             layout.uprightDigits});
    const double mmPerUnit = 1 / geometry.unitsPerMm;
    QTransform toMm;
    toMm.translate(item_.Left - column.extent.left() * mmPerUnit,
                   item_.Top - column.extent.top() * mmPerUnit);
    toMm.scale(mmPerUnit, mmPerUnit);
    fonts_ = std::vector<QRawFont>(column.fonts.begin(), column.fonts.end());
    for (const VerticalGlyph& glyph : column.glyphs)
        glyphs_.push_back(Glyph{glyph.font, glyph.index, glyph.transform() * toMm});
    for (const VerticalCell& cell : column.cells)
        cells_.push_back(toMm.map(QPolygonF(cell.rect)));
    columnMm_ = toMm.mapRect(column.extent);
    outline_.addRect(columnMm_);
}

// ---- Every layout ----------------------------------------------------------------------------

const QPainterPath& ItemShape::inkMm() const {
    std::call_once(inkOnce_, [this] {
        if (item_.layout.kind == TextLayoutKind::Straight) {
            ink_ = lineInk();
            return;
        }
        ink_.setFillRule(Qt::WindingFill);
        for (const Glyph& glyph : glyphs_)
            ink_.addPath(glyph.toMm.map(fonts_[std::size_t(glyph.font)].pathForGlyph(glyph.index)));
    });
    return ink_;
}

void ItemShape::draw(QPainter& painter, const Geometry& geometry, const QColor& colour) const {
    painter.save();
    painter.setPen(colour);
    if (item_.layout.kind == TextLayoutKind::Straight) {
        drawLine(painter, geometry);
        painter.restore();
        return;
    }
    // Each glyph with its own turn: from the font's units to label millimetres to the painter's.
    QTransform toUnits;
    toUnits.translate(geometry.origin.x(), geometry.origin.y());
    toUnits.scale(geometry.unitsPerMm, geometry.unitsPerMm);
    const QTransform base = painter.worldTransform();
    QGlyphRun run;
    for (const Glyph& glyph : glyphs_) {
        run.setRawFont(fonts_[std::size_t(glyph.font)]);
        run.setGlyphIndexes({glyph.index});
        run.setPositions({QPointF(0, 0)});
        painter.setWorldTransform(glyph.toMm * toUnits * base);
        painter.drawGlyphRun(QPointF(0, 0), run);
    }
    painter.restore();
}
