#include "view/LabelRenderer.h"

#include "document/ColorTable.h"
#include "shapes/ItemShape.h"
#include "view/PictureBlit.h"
#include "view/ShownPixels.h"

#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>

namespace LabelRenderer {

namespace {
bool finite(float value) {
    return std::isfinite(value);
}
} // namespace

bool placementDrawable(const LabelDocument& document) {
    const double width = document.BackWidth, height = document.BackHeight;
    return finite(document.BackLeft) && finite(document.BackTop) && width > 0 && height > 0 &&
           std::isfinite(width) && std::isfinite(height);
}

namespace {
// A PDF (and so a printer's page) keeps a copy of the part of an image it is given. A region
// decoded for the page is nearly all shown, so it goes in whole, clipped to the part: a page of a
// large photo then holds its pixels once.
constexpr double MostOfTheImage = 0.8;

void drawImagePart(QPainter& painter, const QRectF& target, const QImage& image,
                   const QRectF& source) {
    const bool pdf = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Pdf;
    const double shownShare =
        source.width() * source.height() / (double(image.width()) * image.height());
    if (!pdf || source == QRectF(image.rect()) || shownShare < MostOfTheImage) {
        painter.drawImage(target, image, source);
        return;
    }
    const double perPxX = target.width() / source.width(),
                 perPxY = target.height() / source.height();
    const QRectF whole(target.left() - source.left() * perPxX, target.top() - source.top() * perPxY,
                       image.width() * perPxX, image.height() * perPxY);
    painter.setClipRect(target, Qt::IntersectClip);
    painter.drawImage(whole, image, QRectF(image.rect()));
}
} // namespace

// Draws the shown rectangle of a picture of `natural` millimetres from `image`, which holds the
// picture at `pxPerMmX` × `pxPerMmY` pixels per millimetre.
void drawShownPart(QPainter& painter, const Geometry& geometry, const LabelDocument& document,
                   const QRectF& extentMm, const QImage& image, double pxPerMmX, double pxPerMmY,
                   bool smoothEnlargement, DeviceRows rows) {
    const double left = document.BackLeft, top = document.BackTop;
    const double width = document.BackWidth, height = document.BackHeight;
    if (image.isNull())
        return;

    // Clip the shown rectangle to what the image covers and map the clipped part onto the
    // square.
    const double clipLeft = std::max(left, extentMm.left());
    const double clipTop = std::max(top, extentMm.top());
    const double clipRight = std::min(left + width, extentMm.right());
    const double clipBottom = std::min(top + height, extentMm.bottom());
    if (clipRight <= clipLeft || clipBottom <= clipTop)
        return;

    const double scaleX = LabelSideMm / width, scaleY = LabelSideMm / height;
    const QPointF targetTopLeft =
        geometry.map((clipLeft - left) * scaleX, (clipTop - top) * scaleY);
    const QPointF targetBottomRight =
        geometry.map((clipRight - left) * scaleX, (clipBottom - top) * scaleY);
    const QRectF target(targetTopLeft, targetBottomRight);
    const QRectF source((clipLeft - extentMm.left()) * pxPerMmX,
                        (clipTop - extentMm.top()) * pxPerMmY, (clipRight - clipLeft) * pxPerMmX,
                        (clipBottom - clipTop) * pxPerMmY);

    // One image pixel per device pixel: copy without resampling (fast, and as sharp as the
    // image is).
    const QTransform device = painter.deviceTransform();
    const QRectF onDevice = device.mapRect(target);
    const bool oneToOne = device.type() <= QTransform::TxTranslate &&
                          std::abs(onDevice.width() - source.width()) <= 1 &&
                          std::abs(onDevice.height() - source.height()) <= 1;
    const bool enlarged = onDevice.width() > source.width() && onDevice.height() > source.height();
    if (!oneToOne && enlarged && !smoothEnlargement &&
        PictureBlit::enlargeNearest(painter, target, image, source, rows))
        return;
    painter.save();
    // Qt's own drawing keeps to the band through a clip.
    if (!rows.whole())
        painter.setClipRect(
            device.inverted().mapRect(
                QRectF(onDevice.left(), rows.first, onDevice.width(), rows.end - rows.first)),
            Qt::IntersectClip);
    if (oneToOne) {
        painter.drawImage(QPointF(std::round(target.x()), std::round(target.y())), image,
                          source.toRect());
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, smoothEnlargement || !enlarged);
        drawImagePart(painter, target, image, source);
    }
    painter.restore();
}

QRectF shownMm(const LabelDocument& document) {
    return QRectF(document.BackLeft, document.BackTop, document.BackWidth, document.BackHeight);
}

// Device pixels per millimetre of the picture's natural size where the painter draws the label,
// at most `maxLabelPxPerMm` per label millimetre.
QSizeF devicePxPerPictureMm(const QPainter& painter, const Geometry& geometry,
                            const LabelDocument& document, double maxLabelPxPerMm) {
    const QTransform device = painter.deviceTransform();
    const double labelPxPerMmX =
        std::min(geometry.unitsPerMm * std::hypot(device.m11(), device.m12()), maxLabelPxPerMm);
    const double labelPxPerMmY =
        std::min(geometry.unitsPerMm * std::hypot(device.m21(), device.m22()), maxLabelPxPerMm);
    return QSizeF(labelPxPerMmX * LabelSideMm / document.BackWidth,
                  labelPxPerMmY * LabelSideMm / document.BackHeight);
}

namespace {

// Rows of a band of the shown part handed to a PDF: a few megabytes at the widest page.
constexpr int PdfBandRows = 256;

bool paintsPdf(const QPainter& painter) {
    const QPaintEngine* engine = painter.paintEngine();
    return engine && engine->type() == QPaintEngine::Pdf;
}

// What the page decodes of a picture kept compressed: the shown part, and the share of the full
// resolution that gives the device's resolution (at most the finest a page needs).
struct PageDecode {
    QRect area;
    double scaleX;
    double scaleY;
};

PageDecode pageDecode(const QPainter& painter, const Geometry& geometry,
                      const LabelDocument& document, const Picture& picture) {
    const QSizeF wanted = devicePxPerPictureMm(painter, geometry, document, MaxOutputPixelsPerMm);
    return PageDecode{ShownPixels::areaOf(picture, shownMm(document)),
                      wanted.width() / picture.pixelsPerMmX(),
                      wanted.height() / picture.pixelsPerMmY()};
}

ShownPixels::Placed wholeOf(const Picture& picture) {
    return ShownPixels::Placed{picture.image(), picture.pixelsPerMmX(), picture.pixelsPerMmY(),
                               QRectF(QPointF(0, 0), picture.naturalSizeMm())};
}

void drawPlaced(QPainter& painter, const Geometry& geometry, const LabelDocument& document,
                const ShownPixels::Placed& pixels) {
    drawShownPart(painter, geometry, document, pixels.extentMm, pixels.image, pixels.pixelsPerMmX,
                  pixels.pixelsPerMmY, true);
}

} // namespace

ShownPixels::Placed backgroundPixels(const QPainter& painter, const Geometry& geometry,
                                     const LabelDocument& document, const Picture& picture) {
    if (picture.isEmpty() || !placementDrawable(document))
        return {};
    if (picture.decodedWhole())
        return wholeOf(picture);
    const PageDecode decode = pageDecode(painter, geometry, document, picture);
    return ShownPixels::placed(
        picture, ShownPixels::make(picture, decode.area, decode.scaleX, decode.scaleY));
}

void drawBackground(QPainter& painter, const Geometry& geometry, const LabelDocument& document,
                    const Picture& picture) {
    if (picture.isEmpty() || !placementDrawable(document))
        return;
    if (picture.decodedWhole() || !paintsPdf(painter)) {
        drawPlaced(painter, geometry, document,
                   backgroundPixels(painter, geometry, document, picture));
        return;
    }
    const PageDecode decode = pageDecode(painter, geometry, document, picture);
    ShownPixels::makeInBands(picture, decode.area, decode.scaleX, decode.scaleY, PdfBandRows,
                             [&](const PictureRegion& band) {
                                 drawPlaced(painter, geometry, document,
                                            ShownPixels::placed(picture, band));
                             });
}

void drawWholePixels(QPainter& painter, const Geometry& geometry, const LabelDocument& document,
                     const ShownPixels::Placed& pixels) {
    if (pixels.image.isNull() || !placementDrawable(document))
        return;
    const double left = document.BackLeft, top = document.BackTop;
    const double scaleX = LabelSideMm / document.BackWidth,
                 scaleY = LabelSideMm / document.BackHeight;
    const QRectF& extent = pixels.extentMm;
    const QRectF target(
        geometry.map((extent.left() - left) * scaleX, (extent.top() - top) * scaleY),
        geometry.map((extent.right() - left) * scaleX, (extent.bottom() - top) * scaleY));
    painter.save();
    painter.setClipRect(QRectF(geometry.map(0, 0), geometry.map(LabelSideMm, LabelSideMm)),
                        Qt::IntersectClip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, pixels.image);
    painter.restore();
}

void drawGuideCircles(QPainter& painter, const Geometry& geometry, const DiscFrame& frame) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QPen pen(Qt::white);
    pen.setCosmetic(true);
    // One logical pixel wide: on a high-density screen as many device pixels as it covers.
    const QTransform device = painter.deviceTransform();
    const double devicePerUnit = std::hypot(device.m11(), device.m12());
    pen.setWidth(devicePerUnit >= 1.5 ? int(std::lround(devicePerUnit)) : 0);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const QPointF centre = geometry.map(DiscFrame::CentreMm.x(), DiscFrame::CentreMm.y());
    for (double radiusMm : {frame.outerGuideRadiusMm, frame.innerGuideRadiusMm}) {
        const double r = radiusMm * geometry.unitsPerMm;
        painter.drawEllipse(centre, r, r);
    }
    painter.restore();
}

void drawTextItem(QPainter& painter, const Geometry& geometry, const TextItem& item) {
    ItemShape::of(item)->draw(painter, geometry, ColorTable::color(item.Color));
}

void drawTextItems(QPainter& painter, const Geometry& geometry, const LabelDocument& document) {
    for (const TextItem& item : document.TextItems)
        drawTextItem(painter, geometry, item);
}

// Whether the background will cover every pixel of the square, so that clearing it first (a
// large part of a redraw on a high-density screen) can be left out: an opaque picture, a shown
// rectangle inside it, and enlarged onto the device, where every path fills whole device pixels
// (a one-to-one copy may fall a pixel short).
bool backgroundFillsView(const QPainter& painter, double sidePx, const LabelDocument& document,
                         const Picture& picture) {
    if (picture.isEmpty() || picture.image().hasAlphaChannel() || !placementDrawable(document))
        return false;
    const QSizeF natural = picture.naturalSizeMm();
    const double right = double(document.BackLeft) + document.BackWidth;
    const double bottom = double(document.BackTop) + document.BackHeight;
    if (document.BackLeft < 0 || document.BackTop < 0 || right > natural.width() ||
        bottom > natural.height())
        return false;
    const QTransform device = painter.deviceTransform();
    if (device.type() > QTransform::TxScale)
        return false;
    const double deviceSideX = sidePx * device.m11(), deviceSideY = sidePx * device.m22();
    return document.BackWidth * picture.pixelsPerMmX() + 1 < deviceSideX &&
           document.BackHeight * picture.pixelsPerMmY() + 1 < deviceSideY;
}

const Picture& shownPicture(const LabelDocument& document, const Picture& picture) {
    static const Picture none;
    return picture.isEmpty() || document.backgroundOnPicture(picture.naturalSizeMm()) ? picture
                                                                                      : none;
}

void drawView(QPainter& painter, double sidePx, const LabelDocument& document,
              const Picture& anyPicture, const QColor& backgroundColor, const DiscFrame& frame) {
    const Geometry geometry = Geometry::screen(sidePx);
    const Picture& picture = shownPicture(document, anyPicture);
    if (!backgroundFillsView(painter, sidePx, document, picture))
        painter.fillRect(QRectF(0, 0, sidePx, sidePx), backgroundColor);
    drawBackground(painter, geometry, document, picture);
    drawGuideCircles(painter, geometry, frame);
    drawTextItems(painter, geometry, document);
}

} // namespace LabelRenderer
