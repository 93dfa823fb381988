#include "shapes/ItemFonts.h"

#include "platform/fonts/FontCatalog.h"

#include <QFontMetricsF>
#include <QImage>
#include <algorithm>

namespace ItemFonts {

namespace {
QImage deviceAt(int dotsPerMeter) {
    QImage image(1, 1, QImage::Format_RGB32);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}
} // namespace

const QPaintDevice* measuringDevice() {
    static const QImage device = deviceAt(3780); // 96 dpi
    return &device;
}

const QPaintDevice* outlineDevice() {
    static const QImage device = deviceAt(47244); // 1200 dpi
    return &device;
}

QFont itemFont(const QString& fontName, double sizeUnits, const QPaintDevice* device) {
    // The installed family the stored name stands for (the same font under another language's
    // name, a Japanese font for a Windows one), so every surface draws and measures the same.
    QFont font(FontCatalog::installed().resolve(fontName).family);
    font.setStyleStrategy(QFont::PreferDefault);
    const double dpi = device ? device->logicalDpiY() : Units::ScreenPixelsPerInch;
    font.setPointSizeF(sizeUnits * Units::PointsPerInch / dpi);
    return font;
}

double itemFontSizeUnits(const Geometry& geometry, const TextItem& item) {
    const double units = double(item.Size) * geometry.mmPerPoint * geometry.unitsPerMm;
    return std::min(units, geometry.sideUnits() * MaxFontSideFactor);
}

QSizeF measureText(const TextItem& item, double viewSidePx) {
    const Geometry geometry = Geometry::screen(viewSidePx);
    const double sizeUnits = itemFontSizeUnits(geometry, item);
    if (!(sizeUnits >= MinFontUnits) || viewSidePx <= 0)
        return QSizeF(0, 0);
    const QPaintDevice* device = measuringDevice();
    const QFontMetricsF metrics(itemFont(item.FontName, sizeUnits, device), device);
    return QSizeF(metrics.horizontalAdvance(item.Text) / geometry.unitsPerMm,
                  metrics.height() / geometry.unitsPerMm);
}

} // namespace ItemFonts
