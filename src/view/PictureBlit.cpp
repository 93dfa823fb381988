#include "view/PictureBlit.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace PictureBlit {

namespace {

bool applies(QPainter& painter, const QImage& image) {
    QPaintDevice* device = painter.device();
    if (!device || device->devType() != QInternal::Image || painter.hasClipping() ||
        painter.compositionMode() != QPainter::CompositionMode_SourceOver ||
        painter.deviceTransform().type() > QTransform::TxScale)
        return false;
    const QImage::Format target = static_cast<QImage*>(device)->format();
    return image.format() == QImage::Format_RGB32 &&
           (target == QImage::Format_RGB32 || target == QImage::Format_ARGB32_Premultiplied);
}

// Which source index each destination pixel centre falls on.
std::vector<int> sourceIndices(int first, int count, double targetStart, double scale,
                               double sourceStart, int sourceSize) {
    std::vector<int> indices(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        const double at = sourceStart + (first + i + 0.5 - targetStart) * scale;
        indices[size_t(i)] = std::clamp(int(std::floor(at)), 0, sourceSize - 1);
    }
    return indices;
}

// The columns are the same for every band of one redraw: the last ones made are kept.
const std::vector<int>& columnIndices(int first, int count, double targetStart, double scale,
                                      double sourceStart, int sourceSize) {
    struct Columns {
        int first = 0, count = -1;
        double targetStart = 0, scale = 0, sourceStart = 0;
        int sourceSize = 0;
        std::vector<int> indices;
    };
    thread_local Columns last;
    if (first != last.first || count != last.count || targetStart != last.targetStart ||
        scale != last.scale || sourceStart != last.sourceStart || sourceSize != last.sourceSize) {
        last = Columns{first, count, targetStart, scale, sourceStart, sourceSize, {}};
        last.indices = sourceIndices(first, count, targetStart, scale, sourceStart, sourceSize);
    }
    return last.indices;
}

} // namespace

bool enlargeNearest(QPainter& painter, const QRectF& target, const QImage& image,
                    const QRectF& source, DeviceRows band) {
    if (!applies(painter, image) || target.isEmpty() || source.isEmpty())
        return false;
    QImage& destination = *static_cast<QImage*>(painter.device());
    const QRectF onDevice = painter.deviceTransform().mapRect(target);
    const QRect pixels =
        QRect(QPoint(int(std::ceil(onDevice.left() - 0.5)), int(std::ceil(onDevice.top() - 0.5))),
              QPoint(int(std::ceil(onDevice.right() - 0.5)) - 1,
                     int(std::ceil(onDevice.bottom() - 0.5)) - 1))
            .intersected(destination.rect())
            .intersected(QRect(0, band.first, destination.width(),
                               std::min(band.end, destination.height()) - band.first));
    if (pixels.isEmpty())
        return true;
    const std::vector<int>& columns =
        columnIndices(pixels.left(), pixels.width(), onDevice.left(),
                      source.width() / onDevice.width(), source.left(), image.width());
    const std::vector<int> rows =
        sourceIndices(pixels.top(), pixels.height(), onDevice.top(),
                      source.height() / onDevice.height(), source.top(), image.height());
    const size_t rowBytes = size_t(pixels.width()) * sizeof(QRgb);
    const QRgb* previous = nullptr;
    int previousRow = -1;
    for (int y = 0; y < pixels.height(); ++y) {
        QRgb* out = reinterpret_cast<QRgb*>(destination.scanLine(pixels.top() + y)) + pixels.left();
        if (rows[size_t(y)] == previousRow) {
            std::memcpy(out, previous, rowBytes);
            continue;
        }
        const QRgb* in = reinterpret_cast<const QRgb*>(image.constScanLine(rows[size_t(y)]));
        for (int x = 0; x < pixels.width(); ++x)
            out[x] = in[columns[size_t(x)]] | 0xFF000000;
        previous = out;
        previousRow = rows[size_t(y)];
    }
    return true;
}

} // namespace PictureBlit
