#include "view/ScreenView.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>

namespace ScreenView {

using namespace LabelRenderer;

void drawBackground(QPainter& painter, const Geometry& geometry, const LabelDocument& document,
                    const Picture& picture, ViewPictureCache& cache, DeviceRows rows) {
    if (picture.isEmpty() || !placementDrawable(document))
        return;
    const QSizeF wanted =
        devicePxPerPictureMm(painter, geometry, document, std::numeric_limits<double>::infinity());
    const ViewPictureCache::Source source =
        cache.prepare(picture, wanted.width(), wanted.height(), shownMm(document));
    const ViewPictureCache::Source backdrop = cache.backdrop(picture);
    drawShownPart(painter, geometry, document, backdrop.extentMm, backdrop.image,
                  backdrop.pixelsPerMmX, backdrop.pixelsPerMmY, false, rows);
    drawShownPart(painter, geometry, document, source.extentMm, source.image, source.pixelsPerMmX,
                  source.pixelsPerMmY, false, rows);
}

namespace {

// A photo kept compressed may show, for a moment, only the part decoded so far: the view then
// clears beneath it as usual.
bool screenPixelsCover(const QPainter& painter, const Geometry& geometry,
                       const LabelDocument& document, const Picture& picture,
                       ViewPictureCache& cache) {
    if (picture.decodedWhole())
        return true;
    const QSizeF wanted =
        devicePxPerPictureMm(painter, geometry, document, std::numeric_limits<double>::infinity());
    const ViewPictureCache::Source source =
        cache.prepare(picture, wanted.width(), wanted.height(), shownMm(document));
    return source.extentMm.contains(shownMm(document)) || !cache.backdrop(picture).image.isNull();
}

// Rows drawn at a time in the screen's banded redraw: a band of a 2000-pixel view (256 KB) stays
// in the processor's cache from the picture to the text.
constexpr int BandRows = 32;

// The screen's image drawn unclipped at a whole-number scale (1, or a high-density screen's
// device pixel ratio) is drawn band by band; that scale, or 0 for drawing everything at once.
int bandScale(const QPainter& painter) {
    const QPaintDevice* device = painter.device();
    const QTransform transform = painter.deviceTransform();
    if (!device || device->devType() != QInternal::Image || painter.hasClipping() ||
        transform.type() > QTransform::TxScale || transform.m11() != transform.m22())
        return 0;
    const QImage::Format format = static_cast<const QImage*>(device)->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied)
        return 0;
    const double scale = transform.m11();
    return scale >= 1 && scale <= 4 && scale == std::round(scale) ? int(scale) : 0;
}

} // namespace

void draw(QPainter& painter, double sidePx, const LabelDocument& document,
          const Picture& anyPicture, const QColor& backgroundColor, ViewCaches& caches,
          const DiscFrame& frame) {
    const Geometry geometry = Geometry::screen(sidePx);
    const Picture& picture = shownPicture(document, anyPicture);
    const bool filled = backgroundFillsView(painter, sidePx, document, picture) &&
                        screenPixelsCover(painter, geometry, document, picture, caches.picture);
    const ViewTextLayer::Outlines& outlines = caches.range.findings(document, frame);
    const int scale = bandScale(painter);
    if (scale > 0) {
        caches.text.prepare(painter, sidePx, document, outlines);
        const int sideDevice = int(std::ceil(sidePx * scale));
        for (int top = 0; top < sideDevice; top += BandRows) {
            const DeviceRows rows{top, std::min(top + BandRows, sideDevice)};
            if (!filled)
                painter.fillRect(QRectF(0, double(rows.first) / scale, sidePx,
                                        double(rows.end - rows.first) / scale),
                                 backgroundColor);
            drawBackground(painter, geometry, document, picture, caches.picture, rows);
            caches.circles.draw(painter, sidePx, frame, rows);
            caches.text.drawPrepared(painter, rows);
        }
        return;
    }
    if (!filled)
        painter.fillRect(QRectF(0, 0, sidePx, sidePx), backgroundColor);
    drawBackground(painter, geometry, document, picture, caches.picture);
    caches.circles.draw(painter, sidePx, frame);
    caches.text.draw(painter, sidePx, document, outlines);
}

} // namespace ScreenView
