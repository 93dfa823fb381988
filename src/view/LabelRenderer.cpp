#include "view/LabelRenderer.h"

#include "document/ColorTable.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace LabelRenderer {

namespace {
// Bounds that keep a damaged document drawable in bounded time: text is never drawn larger than
// a few label widths, and nothing is drawn at all below a hundredth of a unit.
constexpr double MinFontUnits = 0.01;
constexpr double MaxFontSideFactor = 4.0;

bool finite(float value) { return std::isfinite(value); }

// The device a measurement is made on: an image at the screen's usual 96 dpi.
const QPaintDevice* measuringDevice() {
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        return image;
    }();
    return &device;
}
} // namespace

Geometry screenGeometry(double sidePx) {
    return Geometry{QPointF(0, 0), sidePx / LabelSideMm, ScreenMmPerPoint};
}

bool backgroundAccepted(const LabelDocument& document, const Picture& picture) {
    const QSizeF natural = picture.naturalSizeMm();
    // Written so that NaN is refused too.
    return document.BackLeft >= 0 && document.BackLeft < natural.width() &&
           document.BackTop >= 0 && document.BackTop < natural.height();
}

void drawBackground(QPainter& painter, const Geometry& geometry, const LabelDocument& document,
                    const Picture& picture) {
    if (picture.isEmpty())
        return;
    const double left = document.BackLeft, top = document.BackTop;
    const double width = document.BackWidth, height = document.BackHeight;
    if (!finite(document.BackLeft) || !finite(document.BackTop) || !(width > 0) ||
        !(height > 0) || !std::isfinite(width) || !std::isfinite(height))
        return;

    // Clip the shown rectangle to the picture and map the clipped part onto the square.
    const QSizeF natural = picture.naturalSizeMm();
    const double clipLeft = std::max(left, 0.0), clipTop = std::max(top, 0.0);
    const double clipRight = std::min(left + width, natural.width());
    const double clipBottom = std::min(top + height, natural.height());
    if (clipRight <= clipLeft || clipBottom <= clipTop)
        return;

    const double scaleX = LabelSideMm / width, scaleY = LabelSideMm / height;
    const QPointF targetTopLeft = geometry.map((clipLeft - left) * scaleX, (clipTop - top) * scaleY);
    const QPointF targetBottomRight =
        geometry.map((clipRight - left) * scaleX, (clipBottom - top) * scaleY);
    const QRectF source(clipLeft * picture.pixelsPerMmX(), clipTop * picture.pixelsPerMmY(),
                        (clipRight - clipLeft) * picture.pixelsPerMmX(),
                        (clipBottom - clipTop) * picture.pixelsPerMmY());

    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRectF(targetTopLeft, targetBottomRight), picture.image(), source);
    painter.restore();
}

void drawGuideCircles(QPainter& painter, const Geometry& geometry) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QPen pen(Qt::white);
    pen.setCosmetic(true);
    pen.setWidth(0);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const QPointF centre = geometry.map(LabelSideMm / 2, LabelSideMm / 2);
    for (double radiusMm : {OuterGuideRadiusMm, InnerGuideRadiusMm}) {
        const double r = radiusMm * geometry.unitsPerMm;
        painter.drawEllipse(centre, r, r);
    }
    painter.restore();
}

QFont itemFont(const QString& fontName, double sizeUnits, const QPaintDevice* device) {
    QFont font(fontName);
    font.setStyleStrategy(QFont::PreferDefault);
    const double dpi = device ? device->logicalDpiY() : 96.0;
    font.setPointSizeF(sizeUnits * 72.0 / dpi);
    return font;
}

double itemFontSizeUnits(const Geometry& geometry, const TextItem& item) {
    const double units = double(item.Size) * geometry.mmPerPoint * geometry.unitsPerMm;
    return std::min(units, geometry.sideUnits() * MaxFontSideFactor);
}

void drawTextItem(QPainter& painter, const Geometry& geometry, const TextItem& item) {
    const double sizeUnits = itemFontSizeUnits(geometry, item);
    if (!(sizeUnits >= MinFontUnits) || !finite(item.Left) || !finite(item.Top) ||
        item.Text.isEmpty())
        return;
    const QFont font = itemFont(item.FontName, sizeUnits, painter.device());
    const QFontMetricsF metrics(font, painter.device());
    const QPointF topLeft = geometry.map(item.Left, item.Top);
    // Far-away items are skipped rather than handed to the rasteriser.
    const double limit = geometry.sideUnits() * 100;
    if (std::abs(topLeft.x()) > limit || std::abs(topLeft.y()) > limit)
        return;
    painter.setFont(font);
    painter.setPen(ColorTable::color(item.Color));
    painter.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), item.Text);
}

void drawTextItems(QPainter& painter, const Geometry& geometry, const LabelDocument& document) {
    const int count = std::clamp(document.TextCount, 0, MaxTextItems);
    for (int i = 0; i < count; ++i)
        drawTextItem(painter, geometry, document.item(i));
}

QSizeF measureText(const TextItem& item, double viewSidePx) {
    const Geometry geometry = screenGeometry(viewSidePx);
    const double sizeUnits = itemFontSizeUnits(geometry, item);
    if (!(sizeUnits >= MinFontUnits) || viewSidePx <= 0)
        return QSizeF(0, 0);
    const QPaintDevice* device = measuringDevice();
    const QFontMetricsF metrics(itemFont(item.FontName, sizeUnits, device), device);
    return QSizeF(metrics.horizontalAdvance(item.Text) / geometry.unitsPerMm,
                  metrics.height() / geometry.unitsPerMm);
}

ViewResult drawView(QPainter& painter, double sidePx, const LabelDocument& document,
                    const Picture& picture, const QColor& backgroundColor) {
    const Geometry geometry = screenGeometry(sidePx);
    painter.fillRect(QRectF(0, 0, sidePx, sidePx), backgroundColor);
    if (!picture.isEmpty()) {
        if (!backgroundAccepted(document, picture))
            return ViewResult::BackgroundRefused;
        drawBackground(painter, geometry, document, picture);
    }
    drawGuideCircles(painter, geometry);
    drawTextItems(painter, geometry, document);
    return ViewResult::Drawn;
}

} // namespace LabelRenderer
