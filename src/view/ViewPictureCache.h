#pragma once

#include "platform/pictures/Picture.h"
#include "platform/pictures/PictureRegion.h"
#include "view/ShownPixels.h"

#include <QImage>
#include <QRectF>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

template <typename T> class QFutureWatcher;

// The background picture at about the view's resolution. Dragging the background redraws the
// label on every pointer move; drawing a large photo from its full pixels each time is slow and,
// where the view shows it smaller, grainy. The cache keeps an area-averaged copy made for the
// current picture, zoom and view size and is rebuilt only when one of them changes. A picture
// that has no more pixels than the view needs is used as it is. Printing uses the full picture.
//
// A JPEG kept compressed is decoded only around the shown part (with room to drag), at the
// view's resolution. Once the window asks for it (decodeInBackground), a part that is no longer
// covered, or a new zoom, is decoded on another thread while the view keeps drawing the pixels
// it has, scaled, over the whole picture small (the overview, or at first the camera's
// thumbnail); the window is called back to redraw when the sharper pixels are ready.
class ViewPictureCache {
public:
    // Shares the cache's pixels; no copy.
    using Source = ShownPixels::Placed;

    ViewPictureCache();
    ~ViewPictureCache();
    ViewPictureCache(const ViewPictureCache&) = delete;
    ViewPictureCache& operator=(const ViewPictureCache&) = delete;

    // The image to draw `picture` from when one of its millimetres covers `devicePxPerMmX` ×
    // `devicePxPerMmY` device pixels and the view shows `shownMm` of it.
    Source prepare(const Picture& picture, double devicePxPerMmX, double devicePxPerMmY,
                   const QRectF& shownMm);
    // The same for a view that shows the whole picture.
    Source prepare(const Picture& picture, double devicePxPerMmX, double devicePxPerMmY);

    // For a view drawn once (an export): no room to drag is decoded around the shown part.
    void showOnce() { roomToDrag_ = false; }

    // From now on, decodes after the first are made off this thread; `sharperPixelsReady` runs
    // on this thread when one has finished.
    void decodeInBackground(std::function<void()> sharperPixelsReady);

    // While the pixels prepared last do not cover all that is shown (a photo's first moments
    // when it carries a thumbnail, a drag past them before the decode of the new part has
    // finished), the whole picture at low resolution to draw beneath them; otherwise an empty
    // image.
    Source backdrop(const Picture& picture) const;

    void clear();

    // How many copies were made so far (for tests).
    int rebuildCount() const { return rebuilds_; }
    // Whether a decode is running on another thread (for tests and benchmarks).
    bool decoding() const;
    // Whether any cache's decode is running (for tests and benchmarks).
    static bool decodingAnywhere();

private:
    struct Request {
        QRect area;
        double scaleX;
        double scaleY;
        bool operator==(const Request&) const = default;
    };

    Source prepareWhole(const Picture& picture, double devicePxPerMmX, double devicePxPerMmY);
    Source prepareRegion(const Picture& picture, double devicePxPerMmX, double devicePxPerMmY,
                         const QRectF& shownMm);
    void decodeNow(const Picture& picture, const Request& request);
    void startDecoding(const Picture& picture, const Request& request);
    void finishDecoding();
    bool showThumbnail(const Picture& picture);
    void makeOverview(const Picture& picture);
    void forgetRegion();
    static Source sourceOf(const PictureRegion& region, const Picture& picture);

    bool roomToDrag_ = true;
    qint64 pictureKey_ = 0;
    QSize size_;
    QImage image_;
    int rebuilds_ = 0;

    std::shared_ptr<const JpegSource> jpeg_; // the picture region_ belongs to
    PictureRegion region_;
    std::optional<Request> lastRequest_; // the decode made or running last
    bool covered_ = true;                // region_ covers what was shown last
    PictureRegion overview_;             // the whole picture, small
    bool overviewMade_ = false;
    bool failed_ = false;
    std::function<void()> sharperPixelsReady_;
    std::unique_ptr<QFutureWatcher<PictureRegion>> watcher_;
    std::shared_ptr<std::atomic_bool> cancel_;
    std::unique_ptr<QFutureWatcher<PictureRegion>> overviewWatcher_;
};
