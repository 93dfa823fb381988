#include "view/ShownPixels.h"

#include "platform/pictures/AreaReducer.h"

#include <algorithm>
#include <cmath>

namespace ShownPixels {

namespace {
int sideAt(double pixels, double scale) {
    return std::max(1, int(std::lround(pixels * scale)));
}
} // namespace

QRect areaOf(const Picture& picture, const QRectF& shownMm) {
    const QSize size = picture.pixelSize();
    const auto clampTo = [](double value, int limit) {
        return int(std::clamp(value, 0.0, double(limit)));
    };
    const int left = clampTo(std::floor(shownMm.left() * picture.pixelsPerMmX()), size.width());
    const int top = clampTo(std::floor(shownMm.top() * picture.pixelsPerMmY()), size.height());
    const int right = clampTo(std::ceil(shownMm.right() * picture.pixelsPerMmX()), size.width());
    const int bottom = clampTo(std::ceil(shownMm.bottom() * picture.pixelsPerMmY()), size.height());
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

QRect withMargin(const Picture& picture, const QRect& area) {
    const int dx = area.width() / 2, dy = area.height() / 2;
    return area.adjusted(-dx, -dy, dx, dy).intersected(QRect(QPoint(0, 0), picture.pixelSize()));
}

PictureRegion make(const Picture& picture, const QRect& area, double scaleX, double scaleY,
                   const std::atomic_bool* cancel) {
    scaleX = std::min(scaleX, 1.0);
    scaleY = std::min(scaleY, 1.0);
    PictureRegion region = picture.pixels(area, scaleX, scaleY, cancel);
    if (region.isEmpty())
        return region;
    const QSize wanted(std::min(region.image.width(), sideAt(region.areaPx.width(), scaleX)),
                       std::min(region.image.height(), sideAt(region.areaPx.height(), scaleY)));
    // A picture held whole comes as it is. QImage's smooth reduction averages the source pixels
    // each target pixel covers.
    if (wanted != region.image.size())
        region.image = region.image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return region;
}

bool makeInBands(const Picture& picture, const QRect& area, double scaleX, double scaleY,
                 int bandRows, const std::function<void(const PictureRegion&)>& band) {
    if (picture.decodedWhole()) {
        const PictureRegion region = make(picture, area, scaleX, scaleY);
        if (!region.isEmpty())
            band(region);
        return !region.isEmpty();
    }
    return picture.jpeg()->decodeInBands(area, std::min(scaleX, 1.0), std::min(scaleY, 1.0),
                                         bandRows, band);
}

PictureRegion reduced(const PictureRegion& region, double scaleX, double scaleY) {
    if (region.isEmpty() || !(scaleX > 0) || !(scaleY > 0) || scaleX > region.scaleX() ||
        scaleY > region.scaleY())
        return {};
    const QRectF& area = region.areaPx;
    // Pixel i of `source` covers full-resolution pixels from start + i × (end - start) / source;
    // the target's pixels lie on the grid of the whole picture at `scale`.
    const auto axis = [](double start, double end, double scale, int source) {
        const int first = int(std::ceil(start * scale - 1e-9));
        const int count = int(std::floor(end * scale + 1e-9)) - first;
        const double step = (end - start) / source * scale;
        return std::pair{first, AreaReducer::Axis{start * scale - first, step, count}};
    };
    const auto [left, across] = axis(area.left(), area.right(), scaleX, region.image.width());
    const auto [top, down] = axis(area.top(), area.bottom(), scaleY, region.image.height());
    if (across.targetSide < 1 || down.targetSide < 1)
        return {};
    QImage image(across.targetSide, down.targetSide, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    const QImage source = region.image.convertToFormat(QImage::Format_RGB32);
    AreaReducer reducer(source.width(), source.height(), across, down,
                        [&image](int y) { return reinterpret_cast<QRgb*>(image.scanLine(y)); });
    for (int y = 0; y < source.height(); ++y)
        reducer.addRow(source.constScanLine(y));
    return PictureRegion{image, QRectF(left / scaleX, top / scaleY, across.targetSide / scaleX,
                                       down.targetSide / scaleY)};
}

bool satisfies(const PictureRegion& region, const QRect& area, double scaleX, double scaleY) {
    if (region.isEmpty())
        return false;
    constexpr double Slack = 0.5; // full-resolution pixels lost to rounding at the edges
    const QRectF& covered = region.areaPx;
    if (covered.left() > area.left() + Slack || covered.top() > area.top() + Slack ||
        covered.right() < area.left() + area.width() - Slack ||
        covered.bottom() < area.top() + area.height() - Slack)
        return false;
    const auto close = [](int side, double pixels, double scale) {
        return std::abs(side - std::min(pixels, double(sideAt(pixels, std::min(scale, 1.0))))) <=
               1.0;
    };
    return close(region.image.width(), covered.width(), scaleX) &&
           close(region.image.height(), covered.height(), scaleY);
}

Placed placed(const Picture& picture, const PictureRegion& region) {
    if (region.isEmpty())
        return Placed{};
    const double mmPerPxX = 1.0 / picture.pixelsPerMmX(), mmPerPxY = 1.0 / picture.pixelsPerMmY();
    const QRectF& area = region.areaPx;
    return Placed{region.image, region.scaleX() / mmPerPxX, region.scaleY() / mmPerPxY,
                  QRectF(area.left() * mmPerPxX, area.top() * mmPerPxY, area.width() * mmPerPxX,
                         area.height() * mmPerPxY)};
}

} // namespace ShownPixels
