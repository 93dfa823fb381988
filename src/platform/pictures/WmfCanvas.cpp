#include "platform/pictures/WmfCanvas.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {

// Pixels beyond this distance are far outside any canvas; clamping keeps the rasteriser's fixed
// point arithmetic in range.
constexpr double CoordinateLimitPx = 4'000'000;
constexpr int MaxSavedContexts = 1024;
constexpr qint64 OperationCost = 16;

constexpr quint32 RopPatCopy = 0x00F00021, RopBlackness = 0x00000042, RopWhiteness = 0x00FF0062;
constexpr quint32 RopSrcPaint = 0x00EE0086, RopSrcAnd = 0x008800C6, RopSrcInvert = 0x00660046;

double clampCoordinate(double value) {
    if (!std::isfinite(value))
        return 0;
    return std::clamp(value, -CoordinateLimitPx, CoordinateLimitPx);
}

Qt::BrushStyle hatchStyle(int hatch) {
    switch (hatch) {
    case 0:
        return Qt::HorPattern;
    case 1:
        return Qt::VerPattern;
    case 2:
        return Qt::FDiagPattern;
    case 3:
        return Qt::BDiagPattern;
    case 4:
        return Qt::CrossPattern;
    default:
        return Qt::DiagCrossPattern;
    }
}

// Angle on the ellipse (Qt's convention: degrees, counter-clockwise on screen) of the point
// where the ray from the centre through `point` meets it.
double ellipseAngle(const QRectF& rect, QPointF point) {
    const QPointF centre = rect.center();
    const double rx = std::max(rect.width() / 2, 1e-9), ry = std::max(rect.height() / 2, 1e-9);
    return std::atan2(-(point.y() - centre.y()) / ry, (point.x() - centre.x()) / rx) * 180.0 / M_PI;
}

} // namespace

WmfCanvas::WmfCanvas(QImage& image, const QRectF& frame, double unitsPerInch, int objectCount,
                     qint64 workBudget)
    : image_(image), painter_(&image), objects_(size_t(std::max(objectCount, 0))),
      budget_(workBudget) {
    painter_.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                            QPainter::SmoothPixmapTransform);
    pixelsPerUnitX_ = image.width() / frame.width();
    pixelsPerUnitY_ = image.height() / frame.height();
    pixelsPerInch_ = pixelsPerUnitX_ * unitsPerInch;
    dc_.windowOrg = frame.topLeft();
    dc_.windowExt = QPointF(frame.width(), frame.height());
    dc_.viewportExt = QPointF(image.width(), image.height());
}

WmfCanvas::~WmfCanvas() {
    painter_.end();
}

// ---- Mapping and budget -----------------------------------------------------------------------

QPointF WmfCanvas::toDevice(QPointF logical) const {
    const double x = (logical.x() - dc_.windowOrg.x()) * dc_.scaleX() + dc_.viewportOrg.x();
    const double y = (logical.y() - dc_.windowOrg.y()) * dc_.scaleY() + dc_.viewportOrg.y();
    return {clampCoordinate(x), clampCoordinate(y)};
}

QRectF WmfCanvas::toDevice(const QRectF& logical) const {
    return QRectF(toDevice(logical.topLeft()), toDevice(logical.bottomRight())).normalized();
}

QList<QPointF> WmfCanvas::toDevice(const QList<QPointF>& logical) const {
    QList<QPointF> device;
    device.reserve(logical.size());
    for (const QPointF& point : logical)
        device.append(toDevice(point));
    return device;
}

// Charges an operation by the pixels it may touch and the edges the rasteriser must walk.
bool WmfCanvas::afford(const QRectF& device, qsizetype points) {
    const double margin = devicePen().widthF() + 2;
    const QRectF touched =
        device.adjusted(-margin, -margin, margin, margin).intersected(QRectF(image_.rect()));
    const qint64 area = qint64(touched.width() * touched.height());
    const qint64 rows = qint64(touched.height()) + 1;
    budget_ -= OperationCost + area + qint64(points) * rows;
    return !exhausted() && !touched.isEmpty();
}

// ---- Objects and state --------------------------------------------------------------------------

void WmfCanvas::createObject(Wmf::Object object) {
    // Like the system, a new object takes the lowest free slot; with none free it is dropped.
    for (Wmf::Object& slot : objects_) {
        if (std::holds_alternative<std::monostate>(slot)) {
            slot = std::move(object);
            return;
        }
    }
}

void WmfCanvas::selectObject(int index) {
    if (index < 0 || size_t(index) >= objects_.size())
        return;
    const Wmf::Object& object = objects_[size_t(index)];
    if (const auto* pen = std::get_if<Wmf::Pen>(&object))
        dc_.pen = *pen;
    else if (const auto* brush = std::get_if<Wmf::Brush>(&object))
        dc_.brush = *brush;
    else if (const auto* font = std::get_if<Wmf::Font>(&object))
        dc_.font = *font;
}

void WmfCanvas::deleteObject(int index) {
    if (index >= 0 && size_t(index) < objects_.size())
        objects_[size_t(index)] = std::monostate();
}

void WmfCanvas::saveDc() {
    if (saved_.size() < MaxSavedContexts)
        saved_.push_back(dc_);
}

// Negative: that many levels back; positive: the level of that number.
void WmfCanvas::restoreDc(int which) {
    const qsizetype depth = qsizetype(saved_.size());
    const qsizetype target = which < 0 ? depth + which : qsizetype(which) - 1;
    if (target < 0 || target >= depth)
        return;
    dc_ = saved_[size_t(target)];
    saved_.resize(size_t(target));
    applyClip();
}

void WmfCanvas::setWindowExt(double x, double y) {
    if (x != 0 && y != 0)
        dc_.windowExt = {x, y};
}

void WmfCanvas::setViewportOrg(double x, double y) {
    dc_.viewportOrg = {x * pixelsPerUnitX_, y * pixelsPerUnitY_};
}

void WmfCanvas::setViewportExt(double x, double y) {
    if (x != 0 && y != 0)
        dc_.viewportExt = {x * pixelsPerUnitX_, y * pixelsPerUnitY_};
}

void WmfCanvas::offsetViewportOrg(double x, double y) {
    dc_.viewportOrg += QPointF(x * pixelsPerUnitX_, y * pixelsPerUnitY_);
}

void WmfCanvas::scaleWindowExt(int xNum, int xDenom, int yNum, int yDenom) {
    if (xDenom != 0 && yDenom != 0)
        setWindowExt(dc_.windowExt.x() * xNum / xDenom, dc_.windowExt.y() * yNum / yDenom);
}

void WmfCanvas::scaleViewportExt(int xNum, int xDenom, int yNum, int yDenom) {
    if (xDenom == 0 || yDenom == 0 || xNum == 0 || yNum == 0)
        return;
    dc_.viewportExt = {dc_.viewportExt.x() * xNum / xDenom, dc_.viewportExt.y() * yNum / yDenom};
}

void WmfCanvas::applyClip() {
    if (dc_.clip)
        painter_.setClipRegion(*dc_.clip);
    else
        painter_.setClipping(false);
}

void WmfCanvas::intersectClip(const QRectF& logical) {
    const QRegion rect(toDevice(logical).toAlignedRect());
    dc_.clip = dc_.clip ? dc_.clip->intersected(rect) : rect;
    applyClip();
}

void WmfCanvas::excludeClip(const QRectF& logical) {
    const QRegion rect(toDevice(logical).toAlignedRect());
    dc_.clip = (dc_.clip ? *dc_.clip : QRegion(image_.rect())).subtracted(rect);
    applyClip();
}

// ---- Pens and brushes
// -----------------------------------------------------------------------------

QPen WmfCanvas::devicePen() const {
    const Wmf::Pen& pen = dc_.pen;
    const int dash = pen.style & 0x0F;
    if (dash == Wmf::PenNull)
        return Qt::NoPen;
    QPen result(pen.color);
    const double maxWidth = 2.0 * std::max(image_.width(), image_.height());
    const double width = std::abs(pen.widthLogical * dc_.scaleX());
    result.setWidthF(pen.widthLogical == 0 ? 1.0 : std::clamp(width, 1.0, maxWidth));
    static constexpr Qt::PenStyle Dashes[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine,
                                              Qt::DashDotLine, Qt::DashDotDotLine};
    result.setStyle(dash < 5 ? Dashes[dash] : Qt::SolidLine);
    const int cap = (pen.style >> 8) & 0x0F, join = (pen.style >> 12) & 0x0F;
    result.setCapStyle(cap == 1 ? Qt::SquareCap : cap == 2 ? Qt::FlatCap : Qt::RoundCap);
    result.setJoinStyle(join == 1 ? Qt::BevelJoin : join == 2 ? Qt::MiterJoin : Qt::RoundJoin);
    return result;
}

QBrush WmfCanvas::deviceBrush() const {
    const Wmf::Brush& brush = dc_.brush;
    switch (brush.style) {
    case Wmf::BrushSolid:
        return QBrush(brush.color);
    case Wmf::BrushHatched:
        return QBrush(brush.color, hatchStyle(brush.hatch));
    case Wmf::BrushPattern:
        return brush.pattern.isNull() ? QBrush() : QBrush(brush.pattern);
    default:
        return QBrush();
    }
}

void WmfCanvas::preparePainter() {
    painter_.setPen(devicePen());
    painter_.setBrush(deviceBrush());
    painter_.setBackground(dc_.backgroundColor);
    painter_.setBackgroundMode(dc_.backgroundMode == Wmf::Opaque ? Qt::OpaqueMode
                                                                 : Qt::TransparentMode);
}

void WmfCanvas::finishShape(const QPainterPath& path, bool filled, qsizetype points) {
    if (!afford(path.controlPointRect(), points))
        return;
    preparePainter();
    if (!filled)
        painter_.setBrush(Qt::NoBrush);
    painter_.drawPath(path);
}

// ---- Shapes -------------------------------------------------------------------------------------

void WmfCanvas::lineTo(double x, double y) {
    QPainterPath path(toDevice(dc_.position));
    path.lineTo(toDevice(x, y));
    dc_.position = {x, y};
    finishShape(path, false, 2);
}

void WmfCanvas::rectangle(const QRectF& logical) {
    QPainterPath path;
    path.addRect(toDevice(logical));
    finishShape(path, true, 4);
}

void WmfCanvas::roundRect(const QRectF& logical, double cornerWidth, double cornerHeight) {
    const QRectF device = toDevice(logical);
    const double rx = std::min(std::abs(cornerWidth * dc_.scaleX()) / 2, device.width() / 2);
    const double ry = std::min(std::abs(cornerHeight * dc_.scaleY()) / 2, device.height() / 2);
    QPainterPath path;
    path.addRoundedRect(device, rx, ry);
    finishShape(path, true, 16);
}

void WmfCanvas::ellipse(const QRectF& logical) {
    QPainterPath path;
    path.addEllipse(toDevice(logical));
    finishShape(path, true, 16);
}

// Counter-clockwise from the start radial to the end radial; the same radial twice is the whole
// ellipse.
void WmfCanvas::arc(ArcKind kind, const QRectF& logical, QPointF start, QPointF end) {
    const QRectF device = toDevice(logical);
    const double from = ellipseAngle(device, toDevice(start));
    double sweep = ellipseAngle(device, toDevice(end)) - from;
    while (sweep <= 0)
        sweep += 360;
    QPainterPath path;
    if (kind == ArcKind::Pie) {
        path.moveTo(device.center());
        path.arcTo(device, from, sweep);
        path.closeSubpath();
    } else {
        path.arcMoveTo(device, from);
        path.arcTo(device, from, sweep);
        if (kind == ArcKind::Chord)
            path.closeSubpath();
    }
    finishShape(path, kind != ArcKind::Arc, 16);
}

void WmfCanvas::polygon(const QList<QPointF>& logical) {
    if (logical.size() < 2)
        return;
    QPainterPath path;
    path.setFillRule(dc_.polyFillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
    path.addPolygon(QPolygonF(toDevice(logical)));
    path.closeSubpath();
    finishShape(path, true, logical.size());
}

void WmfCanvas::polyline(const QList<QPointF>& logical) {
    if (logical.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(QPolygonF(toDevice(logical)));
    finishShape(path, false, logical.size());
}

void WmfCanvas::polyPolygon(const QList<QList<QPointF>>& logical) {
    QPainterPath path;
    path.setFillRule(dc_.polyFillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
    qsizetype points = 0;
    for (const QList<QPointF>& polygon : logical) {
        if (polygon.size() < 2)
            continue;
        path.addPolygon(QPolygonF(toDevice(polygon)));
        path.closeSubpath();
        points += polygon.size();
    }
    if (points > 0)
        finishShape(path, true, points);
}

void WmfCanvas::setPixel(double x, double y, const QColor& color) {
    const QPointF device = toDevice(x, y);
    const QRectF pixel(device, QSizeF(std::max(std::abs(dc_.scaleX()), 1.0),
                                      std::max(std::abs(dc_.scaleY()), 1.0)));
    if (afford(pixel, 4))
        painter_.fillRect(pixel, color);
}

void WmfCanvas::patBlt(quint32 rop, const QRectF& logical) {
    const QRectF device = toDevice(logical);
    if (!afford(device, 4))
        return;
    if (rop == RopPatCopy)
        painter_.fillRect(device, deviceBrush());
    else if (rop == RopBlackness)
        painter_.fillRect(device, Qt::black);
    else if (rop == RopWhiteness)
        painter_.fillRect(device, Qt::white);
}

// ---- Bitmaps ------------------------------------------------------------------------------------

void WmfCanvas::drawBitmap(const QImage& image, const QRectF& sourcePx, const QRectF& destLogical,
                           quint32 rop) {
    const QPointF topLeft = toDevice(destLogical.topLeft());
    const QPointF bottomRight = toDevice(destLogical.bottomRight());
    const bool mirrorX = bottomRight.x() < topLeft.x(), mirrorY = bottomRight.y() < topLeft.y();
    const QRectF device = QRectF(topLeft, bottomRight).normalized();
    if (!afford(device, 4) || device.isEmpty())
        return;
    budget_ -= qint64(sourcePx.width() * sourcePx.height());
    if (exhausted())
        return;
    QImage source = image.copy(sourcePx.toAlignedRect());
    if (mirrorX || mirrorY)
        source = source.mirrored(mirrorX, mirrorY);
    painter_.save();
    // Enlarged bitmaps keep their square pixels, as the system draws them; reduced ones are
    // smoothed.
    painter_.setRenderHint(QPainter::SmoothPixmapTransform,
                           device.width() < source.width() || device.height() < source.height());
    if (rop == RopSrcPaint)
        painter_.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    else if (rop == RopSrcAnd)
        painter_.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    else if (rop == RopSrcInvert)
        painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter_.drawImage(device, source);
    painter_.restore();
}
