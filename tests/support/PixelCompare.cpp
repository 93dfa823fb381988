#include "support/PixelCompare.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace PixelCompare {

QRgb areaAverage(const QImage& image, double x0, double y0, double x1, double y1) {
    double sum[3] = {0, 0, 0}, weight = 0;
    for (int y = int(std::floor(y0)); y < int(std::ceil(y1)); ++y)
        for (int x = int(std::floor(x0)); x < int(std::ceil(x1)); ++x) {
            if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
                continue;
            const double w = (std::min(x1, x + 1.0) - std::max(x0, double(x))) *
                             (std::min(y1, y + 1.0) - std::max(y0, double(y)));
            const QRgb p = image.pixel(x, y);
            sum[0] += w * qRed(p);
            sum[1] += w * qGreen(p);
            sum[2] += w * qBlue(p);
            weight += w;
        }
    return qRgb(int(sum[0] / weight + 0.5), int(sum[1] / weight + 0.5), int(sum[2] / weight + 0.5));
}

int difference(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

} // namespace PixelCompare
