#include "view/ViewPictureCache.h"

#include <algorithm>
#include <cmath>

namespace {

// The cached copy's side for a picture side of `pixels` when the view needs `wanted` pixels:
// never more than the picture has.
int cachedSide(int pixels, double wanted) {
    if (!(wanted < pixels)) // also for NaN: keep the picture
        return pixels;
    return std::max(1, int(std::lround(wanted)));
}

} // namespace

ViewPictureCache::Source ViewPictureCache::prepare(const Picture& picture, double devicePxPerMmX,
                                                   double devicePxPerMmY) {
    const QImage& full = picture.image();
    const QSizeF natural = picture.naturalSizeMm();
    const QSize wanted(cachedSide(full.width(), natural.width() * devicePxPerMmX),
                       cachedSide(full.height(), natural.height() * devicePxPerMmY));
    if (full.cacheKey() != pictureKey_ || wanted != size_) {
        pictureKey_ = full.cacheKey();
        size_ = wanted;
        // QImage's smooth downscale averages the source pixels each target pixel covers.
        image_ = wanted == full.size()
                     ? full
                     : full.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        ++rebuilds_;
    }
    return Source{image_, image_.width() / natural.width(), image_.height() / natural.height()};
}

void ViewPictureCache::clear() {
    pictureKey_ = 0;
    size_ = QSize();
    image_ = QImage();
}
