#include "view/ViewTextLayer.h"

#include "view/LabelRenderer.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

bool ViewTextLayer::matches(double sidePx, double deviceScale,
                            const LabelDocument& document) const {
    const int count = std::clamp(document.TextCount, 0, MaxTextItems);
    return !layer_.isNull() && sidePx == sidePx_ && deviceScale == deviceScale_ &&
           items_.size() == size_t(count) &&
           std::equal(items_.begin(), items_.end(), document.TextItems.begin());
}

void ViewTextLayer::draw(QPainter& painter, double sidePx, const LabelDocument& document) {
    const QTransform device = painter.deviceTransform();
    // Only for the screen's plain scaling; anything else is drawn directly.
    if (device.type() > QTransform::TxScale || device.m11() != device.m22() || device.m11() <= 0) {
        LabelRenderer::drawTextItems(painter, LabelRenderer::screenGeometry(sidePx), document);
        return;
    }
    const double scale = device.m11();
    if (!matches(sidePx, scale, document)) {
        const int sideDevicePx = int(std::ceil(sidePx * scale));
        layer_ = QImage(sideDevicePx, sideDevicePx, QImage::Format_ARGB32_Premultiplied);
        if (layer_.isNull()) {
            LabelRenderer::drawTextItems(painter, LabelRenderer::screenGeometry(sidePx), document);
            return;
        }
        layer_.setDevicePixelRatio(scale);
        layer_.fill(Qt::transparent);
        QPainter layerPainter(&layer_);
        LabelRenderer::drawTextItems(layerPainter, LabelRenderer::screenGeometry(sidePx), document);
        layerPainter.end();
        sidePx_ = sidePx;
        deviceScale_ = scale;
        const int count = std::clamp(document.TextCount, 0, MaxTextItems);
        items_.assign(document.TextItems.begin(), document.TextItems.begin() + count);
        ++rebuilds_;
    }
    painter.drawImage(QPointF(0, 0), layer_);
}
