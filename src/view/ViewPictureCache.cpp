#include "view/ViewPictureCache.h"

#include "view/ShownPixels.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>
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

ViewPictureCache::ViewPictureCache() = default;

ViewPictureCache::~ViewPictureCache() {
    forgetRegion();
}

ViewPictureCache::Source ViewPictureCache::prepare(const Picture& picture, double devicePxPerMmX,
                                                   double devicePxPerMmY, const QRectF& shownMm) {
    if (picture.decodedWhole())
        return prepareWhole(picture, devicePxPerMmX, devicePxPerMmY);
    return prepareRegion(picture, devicePxPerMmX, devicePxPerMmY, shownMm);
}

ViewPictureCache::Source ViewPictureCache::prepare(const Picture& picture, double devicePxPerMmX,
                                                   double devicePxPerMmY) {
    return prepare(picture, devicePxPerMmX, devicePxPerMmY,
                   QRectF(QPointF(0, 0), picture.naturalSizeMm()));
}

ViewPictureCache::Source ViewPictureCache::prepareWhole(const Picture& picture,
                                                        double devicePxPerMmX,
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
    return Source{image_, image_.width() / natural.width(), image_.height() / natural.height(),
                  QRectF(QPointF(0, 0), natural)};
}

ViewPictureCache::Source ViewPictureCache::prepareRegion(const Picture& picture,
                                                         double devicePxPerMmX,
                                                         double devicePxPerMmY,
                                                         const QRectF& shownMm) {
    if (picture.jpeg() != jpeg_) {
        forgetRegion();
        jpeg_ = picture.jpeg();
    }
    const Request wanted{ShownPixels::areaOf(picture, shownMm),
                         std::min(1.0, devicePxPerMmX / picture.pixelsPerMmX()),
                         std::min(1.0, devicePxPerMmY / picture.pixelsPerMmY())};
    if (wanted.area.isEmpty() || !(wanted.scaleX > 0) || !(wanted.scaleY > 0) ||
        ShownPixels::satisfies(region_, wanted.area, wanted.scaleX, wanted.scaleY))
        return regionSource(picture);
    const Request decode{ShownPixels::withMargin(picture, wanted.area), wanted.scaleX,
                         wanted.scaleY};
    // The first pixels of a picture are decoded at once: there is nothing to show meanwhile.
    if (!sharperPixelsReady_ || (region_.isEmpty() && !failed_)) {
        PictureRegion made = ShownPixels::make(picture, decode.area, decode.scaleX, decode.scaleY);
        failed_ = made.isEmpty();
        if (!failed_)
            region_ = std::move(made);
        ++rebuilds_;
    } else {
        startDecoding(picture, decode);
    }
    return regionSource(picture);
}

ViewPictureCache::Source ViewPictureCache::regionSource(const Picture& picture) const {
    if (region_.isEmpty())
        return Source{QImage(), 1, 1, QRectF()};
    const double mmPerPxX = 1.0 / picture.pixelsPerMmX(), mmPerPxY = 1.0 / picture.pixelsPerMmY();
    const QRectF& area = region_.areaPx;
    return Source{region_.image, region_.scaleX() / mmPerPxX, region_.scaleY() / mmPerPxY,
                  QRectF(area.left() * mmPerPxX, area.top() * mmPerPxY, area.width() * mmPerPxX,
                         area.height() * mmPerPxY)};
}

void ViewPictureCache::decodeInBackground(std::function<void()> sharperPixelsReady) {
    sharperPixelsReady_ = std::move(sharperPixelsReady);
}

bool ViewPictureCache::decoding() const {
    return watcher_ && watcher_->isRunning();
}

// One decode at a time: while one runs, later requests wait for its redraw, which asks again
// for whatever is then shown.
void ViewPictureCache::startDecoding(const Picture& picture, const Request& request) {
    if (decoding())
        return;
    if (!watcher_) {
        watcher_ = std::make_unique<QFutureWatcher<PictureRegion>>();
        QObject::connect(watcher_.get(), &QFutureWatcher<PictureRegion>::finished,
                         [this] { finishDecoding(); });
    }
    cancel_ = std::make_shared<std::atomic_bool>(false);
    watcher_->setFuture(QtConcurrent::run([picture, request, cancel = cancel_] {
        return ShownPixels::make(picture, request.area, request.scaleX, request.scaleY,
                                 cancel.get());
    }));
}

// A decode that failed leaves the pixels shown as they are.
void ViewPictureCache::finishDecoding() {
    if (!watcher_ || watcher_->future().resultCount() == 0)
        return;
    PictureRegion made = watcher_->result();
    if (made.isEmpty())
        return;
    region_ = std::move(made);
    ++rebuilds_;
    if (sharperPixelsReady_)
        sharperPixelsReady_();
}

void ViewPictureCache::forgetRegion() {
    if (cancel_)
        cancel_->store(true);
    cancel_.reset();
    watcher_.reset(); // a decode still running finishes unheard
    jpeg_.reset();
    region_ = PictureRegion();
    failed_ = false;
}

void ViewPictureCache::clear() {
    pictureKey_ = 0;
    size_ = QSize();
    image_ = QImage();
    forgetRegion();
}
