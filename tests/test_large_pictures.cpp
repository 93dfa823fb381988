// Large photos kept compressed: what the view and the page show of them against the full decode,
// and the editor's memory when it opens one.
#include "document/LabelFileStore.h"
#include "mainwindow/frmMain.h"
#include "platform/pictures/AreaReducer.h"
#include "platform/pictures/JpegOrientation.h"
#include "platform/pictures/JpegSource.h"
#include "platform/pictures/PictureLoader.h"
#include "printing/render/PrintRenderer.h"
#include "support/LargeJpeg.h"
#include "support/PeakMemory.h"
#include "support/PixelCompare.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "view/LabelRenderer.h"
#include "view/ScreenView.h"
#include "view/ViewPictureCache.h"
#include "view/widgets/LabelView.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

namespace {

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

// Written once per run and shared by the cases that need it.
QString photo(int width, int height) {
    return LargeJpeg::inFolder(folder().path(), width, height);
}

QImage decodeWithQt(const QString& path, const QRect& clip = QRect()) {
    QImageReader reader(path);
    reader.setAllocationLimit(1024);
    if (!clip.isNull())
        reader.setClipRect(clip);
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

using PixelCompare::areaAverage;
using PixelCompare::difference;

struct Differences {
    double mean = 0;
    double farShare = 0; // of pixels more than 40 apart
};

Differences compare(const QImage& a, const QImage& b, const QRect& where) {
    double total = 0;
    qint64 far = 0, count = 0;
    for (int y = where.top(); y <= where.bottom(); ++y)
        for (int x = where.left(); x <= where.right(); ++x) {
            const int d = difference(a.pixel(x, y), b.pixel(x, y));
            total += d;
            far += d > 40;
            ++count;
        }
    return Differences{total / double(std::max<qint64>(count, 1)),
                       double(far) / double(std::max<qint64>(count, 1))};
}

constexpr double MmPerPx = 25.4 / 96;

// The child process of the memory test: the editor opens the document, shows it, shows the
// whole photo, and prints its peak memory in megabytes.
int openInEditor(int argc, char** argv) {
    QApplication app(argc, argv);
    ScriptedPlatform platform;
    frmMain window(platform);
    window.resize(1300, 1200);
    window.show();
    QApplication::processEvents();
    window.picDoc()->resize(1000, 1000);
    if (!window.openDocumentFile(QString::fromLocal8Bit(argv[2])))
        return 1;
    QApplication::processEvents();
    const QSize pixels = window.backgroundPicture().pixelSize();
    LabelDocument& document = window.document();
    document.BackWidth = document.BackHeight = float(pixels.height() * MmPerPx);
    window.RedrawLabel();
    QDeadlineTimer deadline(60000);
    while (window.backgroundPicture().pixelSize().isValid() && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        if (!ViewPictureCache::decodingAnywhere())
            break;
    }
    std::printf("%.1f\n", PeakMemory::megabytes());
    return 0;
}

} // namespace

class TestLargePictures : public QObject {
    Q_OBJECT

private slots:
    void reductionIsTheAreaAverage_data();
    void reductionIsTheAreaAverage();
    void viewIsAnAreaAveragedReduction_data();
    void viewIsAnAreaAveragedReduction();
    void pageMatchesTheFullResolutionPath_data();
    void pageMatchesTheFullResolutionPath();
    void overlappingPartsAgree_data();
    void overlappingPartsAgree();
    void thumbnailIsThePhotosOwn_data();
    void thumbnailIsThePhotosOwn();
    void firstPixelsOfAPhoto_data();
    void firstPixelsOfAPhoto();
    void smallerViewReducesThePixelsAtHand();
    void oneDecodePerView_data();
    void oneDecodePerView();
    void editorPeakMemory_data();
    void editorPeakMemory();
};

// Rows fed one by one come out as the area average of the source each target pixel covers.
void TestLargePictures::reductionIsTheAreaAverage_data() {
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QSize>("target");
    QTest::newRow("halves") << QSize(8, 6) << QSize(4, 3);
    QTest::newRow("three to two") << QSize(3, 1) << QSize(2, 1);
    QTest::newRow("uneven both ways") << QSize(7, 5) << QSize(3, 2);
    QTest::newRow("nearly whole") << QSize(101, 61) << QSize(97, 58);
    QTest::newRow("a column") << QSize(1, 9) << QSize(1, 4);
    QTest::newRow("far smaller") << QSize(64, 64) << QSize(7, 7);
}

void TestLargePictures::reductionIsTheAreaAverage() {
    QFETCH(QSize, source);
    QFETCH(QSize, target);
    QImage picture(source, QImage::Format_RGB32);
    QRandomGenerator random(3);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            picture.setPixel(x, y, random.generate() | 0xFF000000);
    QImage reduced(target, QImage::Format_RGB32);
    AreaReducer reducer(source.width(), source.height(), reduced);
    for (int y = 0; y < source.height(); ++y)
        reducer.addRow(picture.constScanLine(y));
    const double perX = double(source.width()) / target.width();
    const double perY = double(source.height()) / target.height();
    for (int y = 0; y < target.height(); ++y)
        for (int x = 0; x < target.width(); ++x) {
            const QRgb expected =
                areaAverage(picture, x * perX, y * perY, (x + 1) * perX, (y + 1) * perY);
            QVERIFY2(difference(reduced.pixel(x, y), expected) <= 1,
                     qPrintable(QStringLiteral("pixel %1, %2").arg(x).arg(y)));
        }
}

// The view of a 48-megapixel photo, pixel by pixel, against the full decode of the part it
// shows: the picture pixel under each view pixel where the view enlarges, the area average of
// the pixels it covers where the view reduces.
void TestLargePictures::viewIsAnAreaAveragedReduction_data() {
    QTest::addColumn<double>("shownPx");
    QTest::addColumn<double>("leftPx");
    QTest::addColumn<double>("topPx");
    QTest::addColumn<double>("meanLimit");
    QTest::addColumn<int>("worstLimit");
    QTest::newRow("step 0") << 461.0 << 3000.0 << 2000.0 << 1.0 << 8;
    QTest::newRow("step -100") << 922.0 << 5000.0 << 4500.0 << 1.0 << 8;
    // The whole decoded picture's own area-averaged copy scores 3.3 on this block: sharp wrapped
    // gradients and noise.
    QTest::newRow("whole height") << 6000.0 << 1000.0 << 0.0 << 3.6 << 100;
}

void TestLargePictures::viewIsAnAreaAveragedReduction() {
    QFETCH(double, shownPx);
    QFETCH(double, leftPx);
    QFETCH(double, topPx);
    QFETCH(double, meanLimit);
    QFETCH(int, worstLimit);
    const QString path = photo(8000, 6000);
    const PictureLoader::LoadResult loaded = PictureLoader::loadFile(path);
    QVERIFY(loaded.picture && !loaded.picture->decodedWhole());
    LabelDocument document;
    document.BackWidth = document.BackHeight = float(shownPx * MmPerPx);
    document.BackLeft = float(leftPx * MmPerPx);
    document.BackTop = float(topPx * MmPerPx);
    const int side = 1000;
    QImage view(side, side, QImage::Format_RGB32);
    view.fill(Qt::white);
    ViewPictureCache cache;
    {
        QPainter painter(&view);
        ScreenView::drawBackground(painter, Geometry::screen(side), document, *loaded.picture,
                                   cache);
    }

    // A block of view pixels, against the full decode of the picture part under it.
    const double perView = double(document.BackWidth) / MmPerPx / side;
    const double left = double(document.BackLeft) / MmPerPx;
    const double top = double(document.BackTop) / MmPerPx;
    const QRect block(400, 400, 150, 150);
    const QRect clip(int(left + block.left() * perView) - 2, int(top + block.top() * perView) - 2,
                     int(block.width() * perView) + 4, int(block.height() * perView) + 4);
    const QImage full = decodeWithQt(path, clip);
    QVERIFY(!full.isNull());
    double total = 0;
    int worst = 0, count = 0;
    for (int y = block.top(); y <= block.bottom(); ++y)
        for (int x = block.left(); x <= block.right(); ++x) {
            const double px = left + x * perView - clip.left();
            const double py = top + y * perView - clip.top();
            const QRgb expected = perView < 1
                                      ? full.pixel(int(px + perView / 2), int(py + perView / 2))
                                      : areaAverage(full, px, py, px + perView, py + perView);
            const int d = difference(view.pixel(x, y), expected);
            total += d;
            worst = std::max(worst, d);
            ++count;
        }
    const double mean = total / count;
    QVERIFY2(mean < meanLimit, qPrintable(QStringLiteral("mean difference %1").arg(mean)));
    QVERIFY2(worst <= worstLimit, qPrintable(QStringLiteral("worst difference %1").arg(worst)));
}

// The printed page at 600 pixels per inch from the photo kept compressed, against the same page
// drawn from the whole decoded photo; where the page reduces the photo, against the area average
// of the full decode, which the whole photo's bilinear drawing only approximates (it aliases the
// photo's noise and blurs its edges).
void TestLargePictures::pageMatchesTheFullResolutionPath_data() {
    QTest::addColumn<double>("shownPx");
    QTest::addColumn<double>("leftPx");
    QTest::addColumn<double>("topPx");
    QTest::addColumn<bool>("reduced");
    QTest::newRow("step 0, enlarged") << 461.0 << 2500.0 << 1500.0 << false;
    QTest::newRow("whole height, reduced") << 4000.0 << 1000.0 << 0.0 << true;
    QTest::newRow("past the corner, reduced") << 3000.0 << 4000.0 << 2500.0 << true;
}

void TestLargePictures::pageMatchesTheFullResolutionPath() {
    QFETCH(double, shownPx);
    QFETCH(double, leftPx);
    QFETCH(double, topPx);
    QFETCH(bool, reduced);
    const QString path = photo(6000, 4000);
    const PictureLoader::LoadResult loaded = PictureLoader::loadFile(path);
    QVERIFY(loaded.picture && !loaded.picture->decodedWhole());
    const Picture whole = Picture::fromBitmap(decodeWithQt(path));
    LabelDocument document;
    document.BackWidth = document.BackHeight = float(shownPx * MmPerPx);
    document.BackLeft = float(leftPx * MmPerPx);
    document.BackTop = float(topPx * MmPerPx);

    constexpr int Side = 2882;
    const auto page = [&document](const Picture& picture) {
        QImage image(Side, Side, QImage::Format_RGB32);
        image.setDotsPerMeterX(23622); // 600 per inch
        image.setDotsPerMeterY(23622);
        image.fill(Qt::white);
        QPainter painter(&image);
        LabelRenderer::drawBackground(painter, Geometry::page(image, 0, 0), document, picture);
        return image;
    };
    const QImage fromCompressed = page(*loaded.picture);
    if (reduced) {
        // The page copies pixels made at its own resolution without resampling them, so it may
        // place them up to half a pixel off: the best of those placements is the one to match.
        const double perPage = shownPx / Side;
        double best = 255;
        for (const double dx : {-0.5, 0.0, 0.5})
            for (const double dy : {-0.5, 0.0, 0.5}) {
                double total = 0;
                int count = 0;
                for (int y = 50; y < Side - 50; y += 7)
                    for (int x = 50; x < Side - 50; x += 7) {
                        const double px = leftPx + x * perPage + dx, py = topPx + y * perPage + dy;
                        if (px + perPage > whole.image().width() ||
                            py + perPage > whole.image().height())
                            continue; // past the picture: nothing drawn
                        total += difference(
                            fromCompressed.pixel(x, y),
                            areaAverage(whole.image(), px, py, px + perPage, py + perPage));
                        ++count;
                    }
                best = std::min(best, total / count);
            }
        QVERIFY2(best < 1.0, qPrintable(QStringLiteral("mean difference %1").arg(best)));
        return;
    }
    const QImage fromWhole = page(whole);
    const Differences d = compare(fromCompressed, fromWhole, QRect(50, 50, Side - 102, Side - 102));
    QVERIFY2(d.mean < 3.0, qPrintable(QStringLiteral("mean difference %1").arg(d.mean)));
    QVERIFY2(d.farShare < 0.01, qPrintable(QStringLiteral("far apart: %1").arg(d.farShare)));
}

// Two parts decoded at one scale have the same pixels where they overlap: the view does not
// flicker when it takes a wider part while the photo is dragged, and an export shows what the
// editor shows.
void TestLargePictures::overlappingPartsAgree_data() {
    QTest::addColumn<double>("scale");
    QTest::newRow("full") << 1.0;
    QTest::newRow("the decoder's half") << 0.5;
    QTest::newRow("between its scales") << 0.3;
    QTest::newRow("below its eighth") << 0.07;
}

void TestLargePictures::overlappingPartsAgree() {
    QFETCH(double, scale);
    const PictureLoader::LoadResult loaded = PictureLoader::loadFile(photo(6000, 4000));
    QVERIFY(loaded.picture && !loaded.picture->decodedWhole());
    const JpegSource& jpeg = *loaded.picture->jpeg();
    const PictureRegion wide = jpeg.decode(QRect(1000, 700, 2400, 1900), scale);
    const PictureRegion part = jpeg.decode(QRect(1733, 1111, 900, 700), scale);
    QVERIFY(!wide.isEmpty() && !part.isEmpty());
    // Both lie on one grid: the part's pixels are the wide one's from some pixel on.
    const double columns = (part.areaPx.left() - wide.areaPx.left()) * wide.scaleX();
    const double rows = (part.areaPx.top() - wide.areaPx.top()) * wide.scaleY();
    QVERIFY2(std::abs(columns - std::round(columns)) < 1e-6 &&
                 std::abs(rows - std::round(rows)) < 1e-6,
             qPrintable(QStringLiteral("%1, %2 pixels apart").arg(columns).arg(rows)));
    const QPoint offset(int(std::round(columns)), int(std::round(rows)));
    int differing = 0;
    for (int y = 0; y < part.image.height(); ++y)
        for (int x = 0; x < part.image.width(); ++x)
            differing +=
                difference(part.image.pixel(x, y), wide.image.pixel(offset + QPoint(x, y))) > 1;
    QCOMPARE(differing, 0);
}

// A phone photo's EXIF thumbnail is shown while the photo is decoded, but only when it shows what
// the photo does: not one of another shape (a photo cropped since), and not after the photo was
// turned upright (the thumbnail is left as the camera took it, and unlinked).
void TestLargePictures::thumbnailIsThePhotosOwn_data() {
    QTest::addColumn<bool>("thumbnail");
    QTest::addColumn<QSize>("thumbnailSize");
    QTest::addColumn<int>("orientation"); // turned upright before it is opened
    QTest::addColumn<bool>("shown");
    QTest::newRow("a phone's photo") << true << QSize() << 0 << true;
    QTest::newRow("none stored") << false << QSize() << 0 << false;
    QTest::newRow("another shape") << true << QSize(160, 160) << 0 << false;
    QTest::newRow("turned half round") << true << QSize() << 3 << false;
    QTest::newRow("turned a quarter") << true << QSize() << 6 << false;
}

void TestLargePictures::thumbnailIsThePhotosOwn() {
    QFETCH(bool, thumbnail);
    QFETCH(QSize, thumbnailSize);
    QFETCH(int, orientation);
    QFETCH(bool, shown);
    LargeJpeg::Options options;
    options.thumbnail = thumbnail;
    options.thumbnailSize = thumbnailSize;
    options.orientation = orientation;
    const QString path = LargeJpeg::inFolder(folder().path(), 2400, 1800, options);
    QByteArray bytes = TestFiles::readAll(path);
    if (orientation > 1) {
        const std::optional<QByteArray> upright = JpegOrientation::upright(bytes);
        QVERIFY(upright);
        bytes = *upright;
    }
    const std::shared_ptr<const JpegSource> jpeg = JpegSource::open(bytes, nullptr);
    QVERIFY(jpeg);
    const QImage small = jpeg->thumbnail();
    QCOMPARE(!small.isNull(), shown);
    if (!shown)
        return;
    QCOMPARE(small.size(), QSize(160, 120));
    const QImage full = decodeWithQt(path);
    double total = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x)
            total += difference(small.pixel(x, y),
                                areaAverage(full, x * 15, y * 15, x * 15 + 15, y * 15 + 15));
    // A few samples of each thumbnail pixel's area, compressed: near, but not the area average.
    QVERIFY2(total / (160 * 120) < 16, qPrintable(QString::number(total / (160 * 120))));
}

// The first pixels of a photo the view shows: the shown part with its room to drag, decoded once,
// with nothing decoded beside it; where the camera stored a thumbnail, the thumbnail shows at once
// and the decode runs off the interface thread. Either way the view ends as a view drawn in one go.
void TestLargePictures::firstPixelsOfAPhoto_data() {
    QTest::addColumn<bool>("thumbnail");
    QTest::addColumn<bool>("whole"); // else the corner, as 背景を開く leaves it
    for (const bool thumbnail : {false, true})
        for (const bool whole : {false, true})
            QTest::addRow("%s, %s", thumbnail ? "thumbnail" : "no thumbnail",
                          whole ? "whole photo" : "corner")
                << thumbnail << whole;
}

void TestLargePictures::firstPixelsOfAPhoto() {
    QFETCH(bool, thumbnail);
    QFETCH(bool, whole);
    LargeJpeg::Options options;
    options.thumbnail = thumbnail;
    const PictureLoader::LoadResult loaded =
        PictureLoader::loadFile(LargeJpeg::inFolder(folder().path(), 2400, 1800, options));
    QVERIFY(loaded.picture && !loaded.picture->decodedWhole());
    const Picture& picture = *loaded.picture;
    LabelDocument document;
    document.BackWidth = document.BackHeight = float(whole ? 1800 * MmPerPx : LabelSideMm);
    document.BackLeft = float(whole ? 300 * MmPerPx : 0);
    constexpr int Side = 500;
    const auto draw = [&](ViewPictureCache& cache) {
        QImage view(Side, Side, QImage::Format_RGB32);
        view.fill(Qt::white);
        QPainter painter(&view);
        ScreenView::drawBackground(painter, Geometry::screen(Side), document, picture,
                                   cache);
        return view;
    };
    ViewPictureCache cache;
    int sharper = 0;
    cache.decodeInBackground([&sharper] { ++sharper; });
    draw(cache);
    const QSizeF perMm(Side / document.BackWidth, Side / document.BackHeight);
    const ViewPictureCache::Source first =
        cache.prepare(picture, perMm.width(), perMm.height(), LabelRenderer::shownMm(document));
    QCOMPARE(first.image.isNull(), thumbnail);
    QCOMPARE(cache.backdrop(picture).image.isNull(), !thumbnail);
    // With a thumbnail the first pixels are decoded elsewhere and taken in only by the event loop
    // (the decode itself may already be done); without one they were decoded here, at once.
    QCOMPARE(cache.rebuildCount(), thumbnail ? 0 : 1);
    QTRY_VERIFY_WITH_TIMEOUT(!ViewPictureCache::decodingAnywhere(), 30000);
    QCoreApplication::processEvents();
    QCOMPARE(sharper, thumbnail ? 1 : 0);
    const QImage settled = draw(cache);
    QCOMPARE(cache.rebuildCount(), 1);
    ViewPictureCache inOneGo;
    QCOMPARE(settled, draw(inOneGo));
}

// A view made a little smaller (the window framed after it showed) reduces the pixels it has at
// once, to nearly what a decode at the new size gives, instead of drawing them soft until one.
void TestLargePictures::smallerViewReducesThePixelsAtHand() {
    const PictureLoader::LoadResult loaded = PictureLoader::loadFile(photo(2400, 1800));
    QVERIFY(loaded.picture && !loaded.picture->decodedWhole());
    LabelDocument document; // the whole photo
    document.BackWidth = document.BackHeight = float(1800 * MmPerPx);
    document.BackLeft = float(300 * MmPerPx);
    const auto draw = [&](ViewPictureCache& cache, int side) {
        QImage view(side, side, QImage::Format_RGB32);
        QPainter painter(&view);
        ScreenView::drawBackground(painter, Geometry::screen(side), document,
                                   *loaded.picture, cache);
        return view;
    };
    ViewPictureCache cache;
    cache.decodeInBackground([] {});
    draw(cache, 500);
    QTRY_VERIFY_WITH_TIMEOUT(!ViewPictureCache::decodingAnywhere(), 30000);
    const QImage smaller = draw(cache, 460);
    QVERIFY(!cache.decoding());
    QCOMPARE(cache.rebuildCount(), 2);
    ViewPictureCache fresh;
    const QImage decoded = draw(fresh, 460);
    double total = 0;
    for (int y = 0; y < 460; ++y)
        for (int x = 0; x < 460; ++x)
            total += difference(smaller.pixel(x, y), decoded.pixel(x, y));
    QVERIFY2(total / (460 * 460) < 2, qPrintable(QString::number(total / (460 * 460))));
}

// The screen draws its view band by band, each band asking for the pixels: one decode serves them
// all, wherever the shown part lies and at a scale just short of the picture's own (a 461-pixel
// view of a 96-dpi picture), where the last pixels of the part reach past what was decoded.
void TestLargePictures::oneDecodePerView_data() {
    QTest::addColumn<QPoint>("cornerPx");
    QTest::newRow("top left") << QPoint(0, 0);
    QTest::newRow("middle") << QPoint(900, 700);
    QTest::newRow("bottom right") << QPoint(2400 - 461, 1800 - 461);
}

void TestLargePictures::oneDecodePerView() {
    QFETCH(QPoint, cornerPx);
    const PictureLoader::LoadResult loaded = PictureLoader::loadFile(photo(2400, 1800));
    QVERIFY(loaded.picture && !loaded.picture->decodedWhole());
    LabelDocument document;
    document.BackWidth = document.BackHeight = float(LabelSideMm);
    document.BackLeft = float(cornerPx.x() * MmPerPx);
    document.BackTop = float(cornerPx.y() * MmPerPx);
    for (const bool once : {false, true}) {
        QImage view(461, 461, QImage::Format_RGB32);
        ViewCaches caches;
        if (once)
            caches.picture.showOnce();
        QPainter painter(&view);
        ScreenView::draw(painter, 461, document, *loaded.picture, Qt::white, caches);
        QCOMPARE(caches.picture.rebuildCount(), 1);
    }
}

void TestLargePictures::editorPeakMemory_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("limitMb");
    QTest::newRow("48 MP") << 8000 << 6000 << 120.0;
    QTest::newRow("200 MP") << 16320 << 12240 << 150.0;
}

// Peak resident memory of an editor process that opens a document holding the photo, shows it
// and then shows it whole.
void TestLargePictures::editorPeakMemory() {
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer's shadow memory and quarantine make peaks meaningless");
#endif
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(double, limitMb);
    const QString document = folder().filePath(QStringLiteral("photo-%1.gpc").arg(width));
    LabelDocument label; // as "背景を開く" leaves it: step 0 from the corner
    label.BackWidth = label.BackHeight = float(LabelSideMm);
    QVERIFY(LabelFileStore::save(document, label, 0, photo(width, height)).ok);
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--open"), document});
    QVERIFY(child.waitForFinished(120000));
    QCOMPARE(child.exitCode(), 0);
    const double peak = child.readAllStandardOutput().trimmed().toDouble();
    QVERIFY2(peak > 0 && peak < limitMb, qPrintable(QStringLiteral("peak %1 MB").arg(peak)));
}

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--open") == 0)
        return openInEditor(argc, argv);
    QApplication app(argc, argv);
    TestLargePictures test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_large_pictures.moc"
