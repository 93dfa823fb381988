#include "view/ViewTextLayer.h"

#include "view/LabelRenderer.h"
#include "shapes/ItemShape.h"
#include "view/RangeOutlines.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

bool ViewTextLayer::matches(double sidePx, double deviceScale,
                            const LabelDocument& document) const {
    return !layer_.isNull() && sidePx == sidePx_ && deviceScale == deviceScale_ &&
           items_ == document.TextItems;
}

void ViewTextLayer::draw(QPainter& painter, double sidePx, const LabelDocument& document,
                         const Outlines& outlines) {
    if (prepare(painter, sidePx, document, outlines))
        drawPrepared(painter);
}

// The outlines follow from the items, so the items alone tell whether the layer is current.
bool ViewTextLayer::prepare(QPainter& painter, double sidePx, const LabelDocument& document,
                            const Outlines& outlines) {
    const Geometry geometry = Geometry::screen(sidePx);
    const auto drawDirectly = [&](QPainter& target) {
        LabelRenderer::drawTextItems(target, geometry, document);
        RangeOutlines::draw(target, geometry, document, outlines);
    };
    prepared_ = false;
    const QTransform device = painter.deviceTransform();
    // Only for the screen's plain scaling; anything else is drawn directly.
    if (device.type() > QTransform::TxScale || device.m11() != device.m22() || device.m11() <= 0) {
        drawDirectly(painter);
        return false;
    }
    const double scale = device.m11();
    if (!matches(sidePx, scale, document)) {
        const int sideDevicePx = int(std::ceil(sidePx * scale));
        layer_ = QImage(sideDevicePx, sideDevicePx, QImage::Format_ARGB32_Premultiplied);
        if (layer_.isNull()) {
            drawDirectly(painter);
            return false;
        }
        layer_.setDevicePixelRatio(scale);
        layer_.fill(Qt::transparent);
        if (sidePx != sidePx_ || scale != deviceScale_)
            sprites_.clear();
        sidePx_ = sidePx;
        deviceScale_ = scale;
        QPainter layerPainter(&layer_);
        layItemsOn(layerPainter, geometry, document);
        RangeOutlines::draw(layerPainter, geometry, document, outlines);
        layerPainter.end();
        findRuns();
        items_ = document.TextItems;
        ++rebuilds_;
    }
    prepared_ = true;
    return true;
}

// Each item's pixels are kept on their own, so that when one item changes only it is drawn anew
// and the others are laid on as they were: a drag of one item among a hundred ends quickly.
void ViewTextLayer::layItemsOn(QPainter& painter, const Geometry& geometry,
                               const LabelDocument& document) {
    std::vector<Sprite> kept = std::move(sprites_);
    std::vector<bool> taken(kept.size(), false);
    sprites_.clear();
    for (int index = 0; index < document.itemCount(); ++index) {
        const TextItem& item = document.item(index);
        // Most often the item is where it was; after an insertion or a deletion, elsewhere.
        std::size_t found = std::size_t(index);
        if (found >= kept.size() || taken[found] || !(kept[found].item == item)) {
            found = 0;
            while (found < kept.size() && (taken[found] || !(kept[found].item == item)))
                ++found;
        }
        if (found < kept.size()) {
            taken[found] = true;
            sprites_.push_back(std::move(kept[found]));
        } else {
            sprites_.push_back(drawSprite(geometry, item));
        }
        const Sprite& sprite = sprites_.back();
        if (!sprite.pixels.isNull())
            painter.drawImage(QPointF(sprite.at) / deviceScale_, sprite.pixels);
    }
}

// The item drawn alone into pixels that cover its ink, at whole device pixels of the layer so
// that its glyphs fall exactly where drawing it on the layer would put them.
ViewTextLayer::Sprite ViewTextLayer::drawSprite(const Geometry& geometry,
                                                const TextItem& item) const {
    Sprite sprite{item, QImage(), QPoint()};
    const QRectF inkMm = ItemShape::of(item)->inkMm().boundingRect();
    if (inkMm.isEmpty())
        return sprite;
    // The screen's hinted glyphs may stand a pixel or two off the printed outlines.
    constexpr int MarginPx = 3;
    const QRectF device(geometry.map(inkMm.topLeft()) * deviceScale_,
                        geometry.map(inkMm.bottomRight()) * deviceScale_);
    const QRect area = device.toAlignedRect()
                           .adjusted(-MarginPx, -MarginPx, MarginPx, MarginPx)
                           .intersected(layer_.rect());
    if (area.isEmpty())
        return sprite;
    sprite.pixels = QImage(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (sprite.pixels.isNull())
        return sprite;
    sprite.pixels.setDevicePixelRatio(deviceScale_);
    sprite.pixels.fill(Qt::transparent);
    sprite.at = area.topLeft();
    QPainter painter(&sprite.pixels);
    painter.translate(-QPointF(area.topLeft()) / deviceScale_);
    LabelRenderer::drawTextItem(painter, geometry, item);
    return sprite;
}

void ViewTextLayer::drawPrepared(QPainter& painter, DeviceRows rows) {
    if (!prepared_ || drawRuns(painter, rows))
        return;
    if (rows.whole()) {
        painter.drawImage(QPointF(0, 0), layer_);
        return;
    }
    const int first = std::max(rows.first, 0);
    const int end = std::min(rows.end, layer_.height());
    if (end > first)
        painter.drawImage(QPointF(0, first / deviceScale_), layer_,
                          QRect(0, first, layer_.width(), end - first));
}

namespace {
constexpr int LongestBlendedGap = 16;
} // namespace

void ViewTextLayer::findRuns() {
    runs_.clear();
    runPixels_.clear();
    const int width = layer_.width();
    for (int y = 0; y < layer_.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(layer_.constScanLine(y));
        for (int x = 0; x < width;) {
            if (line[x] == 0) {
                ++x;
                continue;
            }
            // Short transparent gaps stay inside a run: blending them leaves the pixels below as
            // they are and costs less than starting another run.
            const int start = x;
            int gap = 0;
            for (; x < width && gap <= LongestBlendedGap; ++x)
                gap = line[x] == 0 ? gap + 1 : 0;
            x -= gap;
            runs_.push_back(Run{start, y, x - start, runPixels_.size()});
            runPixels_.insert(runPixels_.end(), line + start, line + x);
        }
    }
}

namespace {
// Premultiplied source over an opaque or premultiplied destination pixel, rounded as Qt's own
// raster engine rounds it; an opaque source pixel comes out unchanged.
QRgb sourceOver(QRgb source, QRgb destination) {
    const uint inverse = 255 - qAlpha(source);
    uint redBlue = (destination & 0xff00ff) * inverse;
    redBlue = ((redBlue + ((redBlue >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    uint alphaGreen = ((destination >> 8) & 0xff00ff) * inverse;
    alphaGreen = (alphaGreen + ((alphaGreen >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return source + (redBlue | alphaGreen);
}

// The same for four pixels at a time in vector registers. Each product of a colour byte and the
// inverse alpha fits 16 bits, so the two products in each pixel's halves are made by one 16-bit
// lane multiplication each, which every x86-64 processor has.
using FourPixels = std::uint32_t __attribute__((vector_size(16)));
using EightHalves = std::uint16_t __attribute__((vector_size(16)));

FourPixels sourceOver(FourPixels source, FourPixels destination) {
    const FourPixels inverse = 255 - (source >> 24);
    const EightHalves inversePairs = EightHalves(inverse | (inverse << 16));
    FourPixels redBlue = FourPixels(EightHalves(destination & 0xff00ff) * inversePairs);
    redBlue = ((redBlue + ((redBlue >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    FourPixels alphaGreen = FourPixels(EightHalves((destination >> 8) & 0xff00ff) * inversePairs);
    alphaGreen = (alphaGreen + ((alphaGreen >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return source + (redBlue | alphaGreen);
}

void blendRun(const QRgb* in, QRgb* out, int length) {
    int i = 0;
    for (; i + 4 <= length; i += 4) {
        FourPixels source, destination;
        std::memcpy(&source, in + i, sizeof source);
        std::memcpy(&destination, out + i, sizeof destination);
        const FourPixels result = sourceOver(source, destination);
        std::memcpy(out + i, &result, sizeof result);
    }
    for (; i < length; ++i)
        out[i] = sourceOver(in[i], out[i]);
}
} // namespace

// Lays the runs straight onto the painter's image where it is a plain 32-bit image drawn at the
// layer's own scale from its corner; false (drawing nothing) elsewhere.
bool ViewTextLayer::drawRuns(QPainter& painter, DeviceRows rows) const {
    QPaintDevice* device = painter.device();
    if (!device || device->devType() != QInternal::Image || painter.hasClipping() ||
        painter.compositionMode() != QPainter::CompositionMode_SourceOver ||
        painter.deviceTransform().type() > QTransform::TxScale ||
        painter.deviceTransform().m11() != deviceScale_)
        return false;
    auto* target = static_cast<QImage*>(device);
    if ((target->format() != QImage::Format_RGB32 &&
         target->format() != QImage::Format_ARGB32_Premultiplied) ||
        target->width() < layer_.width() || target->height() < layer_.height())
        return false;
    uchar* const bits = target->bits();
    const qsizetype stride = target->bytesPerLine();
    // The runs are listed row by row.
    const auto first = std::lower_bound(runs_.begin(), runs_.end(), rows.first,
                                        [](const Run& run, int y) { return run.y < y; });
    for (auto run = first; run != runs_.end() && run->y < rows.end; ++run) {
        QRgb* out = reinterpret_cast<QRgb*>(bits + run->y * stride) + run->x;
        blendRun(runPixels_.data() + run->first, out, run->length);
    }
    return true;
}
