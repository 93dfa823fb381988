#include "view/ViewPictureCache.h"

#include "view/ShownPixels.h"

#include <QFutureWatcher>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cmath>
#include <sys/resource.h>

namespace {

// The cached copy's side for a picture side of `pixels` when the view needs `wanted` pixels:
// never more than the picture has.
int cachedSide(int pixels, double wanted) {
    if (!(wanted < pixels)) // also for NaN: keep the picture
        return pixels;
    return std::max(1, int(std::lround(wanted)));
}

// Decodes run on threads of their own at a lower priority, so that on a busy processor the
// interface thread still draws its frames first.
QThreadPool& decodingThreads() {
    static QThreadPool* pool = [] {
        auto* threads = new QThreadPool;
        threads->setMaxThreadCount(2);
        return threads;
    }();
    return *pool;
}

template <typename Work> QFuture<PictureRegion> decodeElsewhere(Work work) {
    return QtConcurrent::run(&decodingThreads(), [work = std::move(work)] {
        setpriority(PRIO_PROCESS, 0, 10); // on Linux: this thread only
        return work();
    });
}

} // namespace

ViewPictureCache::ViewPictureCache() : cancel_(std::make_shared<std::atomic_bool>(false)) {}

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
    covered_ = wanted.area.isEmpty() || region_.areaPx.contains(QRectF(wanted.area));
    if (wanted.area.isEmpty() || !(wanted.scaleX > 0) || !(wanted.scaleY > 0) ||
        ShownPixels::satisfies(region_, wanted.area, wanted.scaleX, wanted.scaleY))
        return sourceOf(region_, picture);
    const Request decode{roomToDrag_ ? ShownPixels::withMargin(picture, wanted.area) : wanted.area,
                         wanted.scaleX, wanted.scaleY};
    if (!sharperPixelsReady_) {
        decodeNow(picture, decode);
    } else if (region_.isEmpty() && !failed_) {
        // The first pixels of a picture are decoded at once, for the shown part only: there is
        // nothing to show meanwhile. The room to drag and the overview follow off this thread.
        decodeNow(picture, wanted);
        startDecoding(picture, decode);
        startOverview(picture);
    } else {
        startDecoding(picture, decode);
    }
    return sourceOf(region_, picture);
}

void ViewPictureCache::decodeNow(const Picture& picture, const Request& request) {
    PictureRegion made = ShownPixels::make(picture, request.area, request.scaleX, request.scaleY);
    failed_ = made.isEmpty();
    if (!failed_) {
        region_ = std::move(made);
        covered_ = true;
    }
    ++rebuilds_;
}

ViewPictureCache::Source ViewPictureCache::backdrop(const Picture& picture) const {
    if (covered_ || picture.jpeg() != jpeg_)
        return Source{QImage(), 1, 1, QRectF()};
    return sourceOf(overview_, picture);
}

ViewPictureCache::Source ViewPictureCache::sourceOf(const PictureRegion& region,
                                                    const Picture& picture) {
    return ShownPixels::placed(picture, region);
}

void ViewPictureCache::decodeInBackground(std::function<void()> sharperPixelsReady) {
    sharperPixelsReady_ = std::move(sharperPixelsReady);
}

bool ViewPictureCache::decodingAnywhere() {
    return decodingThreads().activeThreadCount() > 0;
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
    watcher_->setFuture(decodeElsewhere([picture, request, cancel = cancel_] {
        return ShownPixels::make(picture, request.area, request.scaleX, request.scaleY,
                                 cancel.get());
    }));
}

// The whole picture with its longer side at most this many pixels: a few megabytes at most.
constexpr int OverviewSidePx = 1024;

// Made once per picture, beside the decodes of the shown part.
void ViewPictureCache::startOverview(const Picture& picture) {
    if (overviewWatcher_)
        return;
    const QSize size = picture.pixelSize();
    const double scale =
        std::min(1.0, double(OverviewSidePx) / std::max(size.width(), size.height()));
    overviewWatcher_ = std::make_unique<QFutureWatcher<PictureRegion>>();
    QObject::connect(overviewWatcher_.get(), &QFutureWatcher<PictureRegion>::finished, [this] {
        if (overviewWatcher_->future().resultCount() > 0)
            overview_ = overviewWatcher_->result();
    });
    overviewWatcher_->setFuture(decodeElsewhere([picture, scale, cancel = cancel_] {
        return ShownPixels::make(picture, QRect(QPoint(0, 0), picture.pixelSize()), scale, scale,
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
    cancel_->store(true);
    cancel_ = std::make_shared<std::atomic_bool>(false);
    watcher_.reset(); // decodes still running finish unheard
    overviewWatcher_.reset();
    jpeg_.reset();
    region_ = PictureRegion();
    overview_ = PictureRegion();
    covered_ = true;
    failed_ = false;
}

void ViewPictureCache::clear() {
    pictureKey_ = 0;
    size_ = QSize();
    image_ = QImage();
    forgetRegion();
}
