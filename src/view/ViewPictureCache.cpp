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
// interface thread still draws its frames first; all but a photo's first pixels, which the view
// waits for with nothing else to draw (a thread's priority, once lowered, cannot be raised again).
enum class Urgency { FirstPixels, Later };

QThreadPool& decodingThreads(Urgency urgency) {
    const auto make = [](int count) {
        auto* threads = new QThreadPool;
        threads->setMaxThreadCount(count);
        return threads;
    };
    static QThreadPool* first = make(1);
    static QThreadPool* later = make(2);
    return urgency == Urgency::FirstPixels ? *first : *later;
}

template <typename Work>
QFuture<PictureRegion> decodeElsewhere(Work work, Urgency urgency = Urgency::Later) {
    return QtConcurrent::run(&decodingThreads(urgency), [work = std::move(work), urgency] {
        if (urgency == Urgency::Later)
            setpriority(PRIO_PROCESS, 0, 10); // on Linux: this thread only
        return work();
    });
}

// A view this close to the scale of the pixels at hand (a fifth smaller at most) has them reduced
// on this thread; that stays quick, where a far smaller one has its pixels decoded afresh.
constexpr double NearlyTheScale = 0.8;

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
    // A view made a little smaller (a window framed after it showed) keeps its pixels, reduced at
    // once, rather than waiting a decode's time with them drawn soft.
    if (sharperPixelsReady_ && covered_ && wanted.scaleX < region_.scaleX() &&
        wanted.scaleY < region_.scaleY() && wanted.scaleX > region_.scaleX() * NearlyTheScale &&
        wanted.scaleY > region_.scaleY() * NearlyTheScale) {
        PictureRegion smaller = ShownPixels::reduced(region_, wanted.scaleX, wanted.scaleY);
        if (ShownPixels::satisfies(smaller, wanted.area, wanted.scaleX, wanted.scaleY)) {
            region_ = std::move(smaller);
            ++rebuilds_;
            return sourceOf(region_, picture);
        }
    }
    const Request decode{roomToDrag_ ? ShownPixels::withMargin(picture, wanted.area) : wanted.area,
                         wanted.scaleX, wanted.scaleY};
    // What a decode of the same request gave is all it can give: never the same decode twice.
    if (lastRequest_ == decode)
        return sourceOf(region_, picture);
    if (!sharperPixelsReady_) {
        decodeNow(picture, decode);
    } else if (region_.isEmpty() && !failed_ && !decoding()) {
        // The first pixels of a picture come with the room to drag: every row above the shown
        // part's bottom is read anyway, so the margin costs little more. A thumbnail the camera
        // stored shows at once while they are decoded off this thread; without one they are
        // decoded here, as there is nothing to show meanwhile. The overview follows them, so
        // that the two never share the processor.
        if (showThumbnail(picture)) {
            startDecoding(picture, decode);
        } else {
            decodeNow(picture, decode);
            makeOverview(picture);
        }
    } else {
        startDecoding(picture, decode);
    }
    return sourceOf(region_, picture);
}

void ViewPictureCache::decodeNow(const Picture& picture, const Request& request) {
    lastRequest_ = request;
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
    return decodingThreads(Urgency::FirstPixels).activeThreadCount() > 0 ||
           decodingThreads(Urgency::Later).activeThreadCount() > 0;
}

bool ViewPictureCache::decoding() const {
    return watcher_ && watcher_->isRunning();
}

// One decode at a time: while one runs, later requests wait for its redraw, which asks again
// for whatever is then shown.
void ViewPictureCache::startDecoding(const Picture& picture, const Request& request) {
    if (decoding())
        return;
    lastRequest_ = request;
    if (!watcher_) {
        watcher_ = std::make_unique<QFutureWatcher<PictureRegion>>();
        QObject::connect(watcher_.get(), &QFutureWatcher<PictureRegion>::finished,
                         [this] { finishDecoding(); });
    }
    watcher_->setFuture(decodeElsewhere(
        [picture, request, cancel = cancel_] {
            return ShownPixels::make(picture, request.area, request.scaleX, request.scaleY,
                                     cancel.get());
        },
        region_.isEmpty() ? Urgency::FirstPixels : Urgency::Later));
}

// The whole picture with its longer side at most this many pixels: a few megabytes at most, and
// for a 48 MP photo (8000 pixels across) the decoder's cheapest scale, an eighth.
constexpr int OverviewSidePx = 1000;

bool ViewPictureCache::showThumbnail(const Picture& picture) {
    const QImage thumbnail = picture.jpeg()->thumbnail();
    if (thumbnail.isNull())
        return false;
    // Enlarged smoothly once: the view draws a backdrop with square pixels, which would show a
    // thumbnail's few pixels as blocks.
    const QSize size =
        picture.pixelSize().scaled(OverviewSidePx, OverviewSidePx, Qt::KeepAspectRatio);
    overview_ =
        PictureRegion{thumbnail.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
                      QRectF(QPointF(0, 0), QSizeF(picture.pixelSize()))};
    return true;
}

// Once per picture, after its first pixels. Where those are the whole picture already (a view of
// all of it, with its margin), the overview is made from them instead of decoding it again.
void ViewPictureCache::makeOverview(const Picture& picture) {
    if (overviewMade_ || region_.isEmpty())
        return;
    overviewMade_ = true;
    const QSize size = picture.pixelSize();
    const QRectF& area = region_.areaPx;
    const double slackX = 1 / region_.scaleX(), slackY = 1 / region_.scaleY();
    if (area.left() < slackX && area.top() < slackY && area.right() > size.width() - slackX &&
        area.bottom() > size.height() - slackY) {
        const QSize small = region_.image.size().boundedTo(QSize(OverviewSidePx, OverviewSidePx));
        overview_ = PictureRegion{
            region_.image.scaled(small, Qt::KeepAspectRatio, Qt::SmoothTransformation), area};
        return;
    }
    const double scale =
        std::min(1.0, double(OverviewSidePx) / std::max(size.width(), size.height()));
    overviewWatcher_ = std::make_unique<QFutureWatcher<PictureRegion>>();
    QObject::connect(overviewWatcher_.get(), &QFutureWatcher<PictureRegion>::finished, [this] {
        if (overviewWatcher_->future().resultCount() > 0 && !overviewWatcher_->result().isEmpty())
            overview_ = overviewWatcher_->result();
    });
    overviewWatcher_->setFuture(decodeElsewhere([picture, scale, cancel = cancel_] {
        return ShownPixels::make(picture, QRect(QPoint(0, 0), picture.pixelSize()), scale, scale,
                                 cancel.get());
    }));
}

// A decode that failed leaves the pixels shown as they are (a thumbnail, or none).
void ViewPictureCache::finishDecoding() {
    if (!watcher_ || watcher_->future().resultCount() == 0)
        return;
    PictureRegion made = watcher_->result();
    if (made.isEmpty()) {
        failed_ = region_.isEmpty();
        return;
    }
    region_ = std::move(made);
    ++rebuilds_;
    makeOverview(Picture::fromJpeg(jpeg_));
    if (sharperPixelsReady_)
        sharperPixelsReady_();
}

void ViewPictureCache::forgetRegion() {
    cancel_->store(true);
    cancel_ = std::make_shared<std::atomic_bool>(false);
    watcher_.reset(); // decodes still running finish unheard
    overviewWatcher_.reset();
    overviewMade_ = false;
    jpeg_.reset();
    region_ = PictureRegion();
    lastRequest_.reset();
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
