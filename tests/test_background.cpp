// The background picture in the main window: choosing it, zooming it with fsbZoom, the limit on
// where its shown rectangle may start, and the view's copy of it at screen resolution.
#include "mainwindow/frmMain.h"
#include "support/PixelCompare.h"
#include "support/ScriptedPlatform.h"
#include "view/LabelRenderer.h"
#include "view/RangeOutlines.h"
#include "view/ScreenView.h"
#include "view/ViewPictureCache.h"
#include "view/widgets/LabelView.h"

#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

namespace {

constexpr int ViewSidePx = 366; // 3 pixels per millimetre
constexpr double PxPerMm = ViewSidePx / 122.0;

// 120 × 120 pixels (31.75 mm at 96 per inch): red, green / blue, yellow quarters.
QImage quarters() {
    QImage image(120, 120, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, 60, 60, Qt::red);
    painter.fillRect(60, 0, 60, 60, Qt::green);
    painter.fillRect(0, 60, 60, 60, Qt::blue);
    painter.fillRect(60, 60, 60, 60, Qt::yellow);
    return image;
}

QImage plain(QColor colour, int side = 600) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Fine detail and coarse shapes: one-pixel stripes on the left, blocks on the right.
QImage detailed(int side) {
    QImage image(side, side, QImage::Format_RGB32);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const bool stripe = x < side / 2 ? (x % 2 == 0) : ((x / 50 + y / 50) % 2 == 0);
            image.setPixel(x, y, stripe ? qRgb(250, 240, 230) : qRgb(10, 20, 40));
        }
    return image;
}

using PixelCompare::areaAverage;
using PixelCompare::difference;

QImage drawBackgroundOnly(const LabelDocument& document, const Picture& picture, int side,
                          ViewPictureCache& cache) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    ScreenView::drawBackground(painter, Geometry::screen(side), document, picture, cache);
    return image;
}

} // namespace

class TestBackground : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void choosingABackgroundResetsStepAndShowsItFromTheCorner();
    void choosingTheSameFileAgainRestoresTheStartPlacement();
    void cancellingTheDialogChangesNothing();
    void unreadablePictureLeavesEverythingAsBefore_data();
    void unreadablePictureLeavesEverythingAsBefore();
    void zoomStepsSetTheShownSide_data();
    void zoomStepsSetTheShownSide();
    void zoomWithoutPictureSnapsBackAndLeavesTheDocumentAlone();
    void cornerAtTheOriginIsAcceptedAtEveryZoom();
    void cornerOffThePictureIsRefusedOnce();
    void viewCacheIsRebuiltOnlyForNewPictureZoomOrViewSize();
    void viewShowsAnAreaAveragedPicture_data();
    void viewShowsAnAreaAveragedPicture();
    void enlargedViewUsesThePictureWithoutACopy();
    void enlargedViewShowsSquarePixels();
    void textLayerDrawsWhatDirectDrawingDoes();
    void keptCirclePixelsInvertWhatDrawingTheCirclesDoes();

private:
    QString writePicture(const QString& name, const QImage& image) {
        const QString path = files_->filePath(name);
        if (!image.save(path))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    QString writeBytes(const QString& name, const QByteArray& bytes) {
        const QString path = files_->filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    void chooseBackground(const QString& path) {
        platform_->fileAnswers.push_back(path);
        frm_->mnuEditBack_Click();
    }
    QColor viewPixel(double xMm, double yMm) const {
        return frm_->picDoc()->image().pixelColor(int(xMm * PxPerMm), int(yMm * PxPerMm));
    }
    QColor viewBackground() const { return frm_->picDoc()->palette().color(QPalette::Base); }
    void fitView();

    std::unique_ptr<ScriptedPlatform> platform_;
    std::unique_ptr<frmMain> frm_;
    std::unique_ptr<QTemporaryDir> files_;
};

void TestBackground::init() {
    files_ = std::make_unique<QTemporaryDir>();
    platform_ = std::make_unique<ScriptedPlatform>();
    frm_ = std::make_unique<frmMain>(*platform_);
    frm_->resize(620, 480);
    frm_->show();
    QVERIFY(QTest::qWaitForWindowExposed(frm_.get()));
    fitView();
    QCOMPARE(frm_->picDoc()->width(), ViewSidePx);
}

void TestBackground::cleanup() {
    QVERIFY2(platform_->unexpected.isEmpty(), qPrintable(platform_->unexpected.join(", ")));
    frm_.reset();
    platform_.reset();
    files_.reset();
}

// The view is 95 % of the viewport's smaller side; grow the window until it is exactly wide.
void TestBackground::fitView() {
    const int wantedInner = int(std::ceil((ViewSidePx - 0.5) / 0.95));
    for (int attempt = 0; attempt < 4 && frm_->picDoc()->width() != ViewSidePx; ++attempt) {
        const int inner = frm_->picView()->contentsRect().height();
        frm_->resize(frm_->width(), frm_->height() + wantedInner - inner);
        QTRY_COMPARE(frm_->picView()->contentsRect().height(), wantedInner);
    }
}

void TestBackground::choosingABackgroundResetsStepAndShowsItFromTheCorner() {
    chooseBackground(writePicture(QStringLiteral("big.png"), plain(Qt::gray)));
    frm_->setScaleStep(40);
    LabelDocument& document = frm_->document();
    document.BackLeft = 10;
    document.BackTop = 12;
    document.LabelChanged = false;

    const QString path = writePicture(QStringLiteral("quarters.bmp"), quarters());
    chooseBackground(path);

    QCOMPARE(platform_->fileDialogs.size(), 2);
    QCOMPARE(platform_->fileDialogs[1].filter, frm_->backgroundDialog().filter);
    QCOMPARE(frm_->scaleStep(), 0);
    QCOMPARE(document.BackLeft, 0.0f);
    QCOMPARE(document.BackTop, 0.0f);
    QCOMPARE(document.BackWidth, 122.0f);
    QCOMPARE(document.BackHeight, 122.0f);
    QVERIFY(document.LabelChanged);
    QCOMPARE(frm_->backgroundDialog().fileName, path);
    QVERIFY(platform_->messages.isEmpty());
    // The window keeps the full picture (printing uses it), whatever the view shows.
    QCOMPARE(frm_->backgroundPicture().image().size(), QSize(120, 120));
    QCOMPARE(frm_->backgroundPicture().naturalSizeMm(), QSizeF(31.75, 31.75));

    // At its natural size from the label's corner: 31.75 mm of the square, the rest is the
    // view's own colour.
    QCOMPARE(viewPixel(5, 5), QColor(Qt::red));
    QCOMPARE(viewPixel(25, 5), QColor(Qt::green));
    QCOMPARE(viewPixel(5, 25), QColor(Qt::blue));
    QCOMPARE(viewPixel(25, 25), QColor(Qt::yellow));
    QCOMPARE(viewPixel(45, 100), viewBackground());
    QCOMPARE(viewPixel(33, 10), viewBackground());
}

void TestBackground::choosingTheSameFileAgainRestoresTheStartPlacement() {
    const QString path = writePicture(QStringLiteral("quarters.png"), quarters());
    chooseBackground(path);
    frm_->setScaleStep(50);
    LabelDocument& document = frm_->document();
    document.BackLeft = 7;
    document.BackTop = 3;
    frm_->RedrawLabel();
    document.LabelChanged = false;

    chooseBackground(path);
    QCOMPARE(frm_->scaleStep(), 0);
    QCOMPARE(QRectF(document.BackLeft, document.BackTop, document.BackWidth, document.BackHeight),
             QRectF(0, 0, 122, 122));
    QVERIFY(document.LabelChanged);
    QCOMPARE(viewPixel(5, 5), QColor(Qt::red));
}

void TestBackground::cancellingTheDialogChangesNothing() {
    const QString path = writePicture(QStringLiteral("quarters.png"), quarters());
    chooseBackground(path);
    frm_->document().LabelChanged = false;
    const qint64 picture = frm_->backgroundPicture().image().cacheKey();
    platform_->fileAnswers.push_back(std::nullopt);
    frm_->mnuEditBack_Click();
    QCOMPARE(frm_->backgroundPicture().image().cacheKey(), picture);
    QCOMPARE(frm_->backgroundDialog().fileName, path);
    QVERIFY(!frm_->document().LabelChanged);
    QVERIFY(platform_->messages.isEmpty());
}

void TestBackground::unreadablePictureLeavesEverythingAsBefore_data() {
    QTest::addColumn<QByteArray>("bytes"); // empty: the file does not exist
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        quarters().save(&buffer, "JPEG");
    }
    QTest::newRow("cut-off JPEG") << jpeg.left(jpeg.size() / 2);
    QTest::newRow("not a picture") << QByteArray("just some text\n");
    QTest::newRow("missing file") << QByteArray();
}

void TestBackground::unreadablePictureLeavesEverythingAsBefore() {
    QFETCH(QByteArray, bytes);
    const QString good = writePicture(QStringLiteral("quarters.png"), quarters());
    chooseBackground(good);
    frm_->setScaleStep(30);
    LabelDocument& document = frm_->document();
    document.BackLeft = 4;
    document.BackTop = 6;
    document.LabelChanged = false;
    const LabelDocument before = document;
    const qint64 picture = frm_->backgroundPicture().image().cacheKey();

    const QString bad = bytes.isEmpty() ? files_->filePath(QStringLiteral("gone.jpg"))
                                        : writeBytes(QStringLiteral("bad.jpg"), bytes);
    chooseBackground(bad);

    QCOMPARE(platform_->messages.size(), 1);
    QCOMPARE(platform_->messages[0].text, QStringLiteral("画像を読み込めませんでした。"));
    QCOMPARE(platform_->messages[0].title, QStringLiteral("エラー"));
    QCOMPARE(platform_->messages[0].buttons, MessageButtons::Ok);
    QCOMPARE(frm_->scaleStep(), 30);
    QCOMPARE(QRectF(document.BackLeft, document.BackTop, document.BackWidth, document.BackHeight),
             QRectF(before.BackLeft, before.BackTop, before.BackWidth, before.BackHeight));
    QCOMPARE(document.LabelChanged, false);
    QCOMPARE(frm_->backgroundPicture().image().cacheKey(), picture);
    QCOMPARE(frm_->backgroundDialog().fileName, good);
}

void TestBackground::zoomStepsSetTheShownSide_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<double>("sideMm");
    QTest::newRow("-100") << -100 << 244.0;
    QTest::newRow("-50") << -50 << 172.53;
    QTest::newRow("0") << 0 << 122.0;
    QTest::newRow("50") << 50 << 86.27;
    QTest::newRow("100") << 100 << 61.0;
}

void TestBackground::zoomStepsSetTheShownSide() {
    QFETCH(int, step);
    QFETCH(double, sideMm);
    chooseBackground(writePicture(QStringLiteral("quarters.png"), quarters()));
    LabelDocument& document = frm_->document();
    frm_->setScaleStep(step == 0 ? 10 : 0);
    document.BackLeft = 2;
    document.BackTop = 3;
    document.LabelChanged = false;

    frm_->setScaleStep(step);
    QVERIFY(std::abs(document.BackWidth - sideMm) < 0.005);
    QCOMPARE(document.BackWidth, float(122.0 * std::pow(2.0, -step / 100.0)));
    QCOMPARE(document.BackHeight, document.BackWidth);
    QCOMPARE(document.BackLeft, 2.0f); // the corner stays
    QCOMPARE(document.BackTop, 3.0f);
    QVERIFY(document.LabelChanged);

    // Setting the value the scroll bar already has runs nothing.
    document.LabelChanged = false;
    document.BackWidth = 50;
    frm_->setScaleStep(step);
    QCOMPARE(document.BackWidth, 50.0f);
    QVERIFY(!document.LabelChanged);
}

void TestBackground::zoomWithoutPictureSnapsBackAndLeavesTheDocumentAlone() {
    LabelDocument& document = frm_->document();
    const qint64 imageBefore = frm_->picDoc()->image().cacheKey();
    frm_->fsbZoom()->setValue(40);
    QCOMPARE(frm_->scaleStep(), 0);
    QCOMPARE(frm_->fsbZoom()->value(), 0);
    QVERIFY(!document.LabelChanged);
    QCOMPARE(document.BackWidth, 0.0f);
    QCOMPARE(frm_->picDoc()->image().cacheKey(), imageBefore); // nothing redrawn
}

void TestBackground::cornerAtTheOriginIsAcceptedAtEveryZoom() {
    chooseBackground(writePicture(QStringLiteral("quarters.png"), quarters()));
    for (int step : {-100, -37, 0, 1, 50, 99, 100})
        frm_->setScaleStep(step);
    LabelDocument& document = frm_->document();
    for (float side : {0.5f, 1e4f}) {
        document.BackWidth = document.BackHeight = side;
        frm_->RedrawLabel();
    }
    QVERIFY(platform_->messages.isEmpty());
}

// The shown rectangle may reach past the picture (the label shows its own colour there), but its
// corner may not leave it: a corner on the right edge or a hair above the top is off the picture,
// and the view then leaves the picture out (the gesture that put it there reports it).
void TestBackground::cornerOffThePictureIsRefusedOnce() {
    chooseBackground(writePicture(QStringLiteral("quarters.png"), quarters()));
    LabelDocument& document = frm_->document();
    document.BackLeft = 20;
    document.LabelChanged = false;
    frm_->RedrawLabel();
    QVERIFY(platform_->messages.isEmpty());
    QCOMPARE(viewPixel(5, 5), QColor(Qt::green));   // 25 mm of the picture
    QCOMPARE(viewPixel(15, 100), viewBackground()); // past its right edge
    QCOMPARE(viewPixel(14, 5), viewBackground());

    const QSizeF natural = frm_->backgroundPicture().naturalSizeMm();
    document.BackLeft = 31.75f; // at the right edge: outside
    QVERIFY(!document.backgroundOnPicture(natural));
    frm_->RedrawLabel();
    QCOMPARE(viewPixel(5, 5), viewBackground());

    document.BackLeft = 0;
    document.BackTop = -0.01f;
    QVERIFY(!document.backgroundOnPicture(natural));
    frm_->RedrawLabel();
    QCOMPARE(viewPixel(5, 5), viewBackground());
    QVERIFY(platform_->messages.isEmpty());
    QVERIFY(!document.LabelChanged);
}

void TestBackground::viewCacheIsRebuiltOnlyForNewPictureZoomOrViewSize() {
    const Picture picture = Picture::fromBitmap(plain(Qt::darkCyan, 2000));
    ViewPictureCache cache;
    LabelDocument document;
    document.BackWidth = document.BackHeight = 244; // the view shows it reduced
    drawBackgroundOnly(document, picture, 300, cache);
    QCOMPARE(cache.rebuildCount(), 1);

    for (float left : {1.0f, 17.5f, 80.0f}) { // dragging
        document.BackLeft = document.BackTop = left;
        drawBackgroundOnly(document, picture, 300, cache);
    }
    const Picture sameShared = picture;
    drawBackgroundOnly(document, sameShared, 300, cache);
    QCOMPARE(cache.rebuildCount(), 1);

    document.BackWidth = document.BackHeight = 200; // zoom
    drawBackgroundOnly(document, picture, 300, cache);
    QCOMPARE(cache.rebuildCount(), 2);
    drawBackgroundOnly(document, picture, 320, cache); // view size
    QCOMPARE(cache.rebuildCount(), 3);
    drawBackgroundOnly(document, Picture::fromBitmap(plain(Qt::darkCyan, 2000)), 320, cache);
    QCOMPARE(cache.rebuildCount(), 4);
}

// Where the view shows the picture reduced, each view pixel is the average of the picture pixels
// it covers, as sharp as such a reduction can be and without the flicker of sampling.
void TestBackground::viewShowsAnAreaAveragedPicture_data() {
    QTest::addColumn<bool>("stripes");
    QTest::addColumn<float>("shownMm");
    QTest::addColumn<float>("cornerMm");
    QTest::addColumn<double>("meanLimit");
    QTest::addColumn<int>("worstLimit");
    // Three picture pixels to a view pixel, from a corner on a pixel boundary: exact blocks.
    QTest::newRow("one-pixel stripes, 3 : 1") << true << 238.125f << 7.9375f << 1.0 << 2;
    // A fractional reduction from anywhere: the copy's whole-pixel size shifts edges a little.
    QTest::newRow("blocks, 3.07 : 1") << false << 244.0f << 10.0f << 3.0 << 100;
}

void TestBackground::viewShowsAnAreaAveragedPicture() {
    QFETCH(bool, stripes);
    QFETCH(float, shownMm);
    QFETCH(float, cornerMm);
    QFETCH(double, meanLimit);
    QFETCH(int, worstLimit);
    const QImage full = detailed(1200);
    const Picture picture = Picture::fromBitmap(full);
    LabelDocument document;
    document.BackWidth = document.BackHeight = shownMm;
    document.BackLeft = document.BackTop = cornerMm;
    const int side = 300;
    ViewPictureCache cache;
    const QImage view = drawBackgroundOnly(document, picture, side, cache);

    const double picturePerView = picture.pixelsPerMmX() * shownMm / side;
    const double origin = cornerMm * picture.pixelsPerMmX();
    double total = 0;
    int worst = 0, count = 0;
    for (int y = 2; y < side - 2; y += 3)
        for (int x = 2; x < side - 2; x += 3) {
            const double pictureX = origin + x * picturePerView;
            if ((pictureX < full.width() / 2) != stripes)
                continue;
            const QRgb expected =
                areaAverage(full, pictureX, origin + y * picturePerView, pictureX + picturePerView,
                            origin + (y + 1) * picturePerView);
            const int d = difference(view.pixel(x, y), expected);
            total += d;
            worst = std::max(worst, d);
            ++count;
        }
    QVERIFY(count > 1000);
    const double mean = total / count;
    QVERIFY2(mean < meanLimit, qPrintable(QStringLiteral("mean difference %1").arg(mean)));
    QVERIFY2(worst <= worstLimit, qPrintable(QStringLiteral("worst difference %1").arg(worst)));
}

void TestBackground::enlargedViewUsesThePictureWithoutACopy() {
    const Picture picture = Picture::fromBitmap(detailed(400));
    ViewPictureCache cache;
    const ViewPictureCache::Source source = cache.prepare(picture, 8.0, 8.0); // > 3.78 px/mm
    QCOMPARE(source.image.cacheKey(), picture.image().cacheKey());
    QCOMPARE(source.pixelsPerMmX, picture.pixelsPerMmX());
}

// Enlarged on screen, every view pixel shows the picture pixel under its centre.
void TestBackground::enlargedViewShowsSquarePixels() {
    const QImage full = detailed(400);
    const Picture picture = Picture::fromBitmap(full);
    LabelDocument document;
    document.BackWidth = document.BackHeight = 61; // step 100
    document.BackLeft = 5.3f;
    document.BackTop = 7.9f;
    const int side = 400;
    ViewCaches caches;
    const QImage view = drawBackgroundOnly(document, picture, side, caches.picture);

    const double picturePerView = picture.pixelsPerMmX() * 61.0 / side;
    int wrong = 0;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const int px =
                int(std::floor(5.3f * picture.pixelsPerMmX() + (x + 0.5) * picturePerView));
            const int py =
                int(std::floor(7.9f * picture.pixelsPerMmY() + (y + 0.5) * picturePerView));
            wrong += view.pixel(x, y) != full.pixel(px, py);
        }
    QVERIFY2(wrong < side * side / 200, qPrintable(QString::number(wrong))); // rounding only
}

// The screen keeps the drawn text in a layer while the items stay the same: the view looks as if
// they were drawn directly, and any change to an item draws the layer anew.
void TestBackground::textLayerDrawsWhatDirectDrawingDoes() {
    LabelDocument document;
    document.TextItems.resize(std::size_t(3));
    for (int i = 0; i < 3; ++i) {
        TextItem& item = document.item(i);
        item.Text = QStringLiteral("背景 %1 Label").arg(i);
        item.FontName = QStringLiteral("IPAGothic");
        item.Size = 12 + 8 * i;
        item.Color = 4 + i;
        item.Left = 10.0f + 5 * i;
        item.Top = 20.0f + 30 * i;
    }
    const Picture picture = Picture::fromBitmap(detailed(600));
    document.BackWidth = document.BackHeight = 122;
    const int side = 400;
    ViewCaches caches;
    auto render = [&](ViewCaches* with) {
        QImage image(side, side, QImage::Format_RGB32);
        QPainter painter(&image);
        if (with)
            ScreenView::draw(painter, side, document, picture, Qt::white, *with);
        else
            LabelRenderer::drawView(painter, side, document, picture, Qt::white);
        return image;
    };
    auto differingPixels = [](const QImage& a, const QImage& b) {
        int count = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                count += difference(a.pixel(x, y), b.pixel(x, y)) > 8;
        return count;
    };
    // Text over the background picture, which the view draws with square pixels and the
    // direct drawing smooths: compare the text alone by drawing over a plain picture.
    const Picture plainPicture = Picture::fromBitmap(plain(Qt::white, 600));
    auto renderPlain = [&](ViewCaches* with) {
        QImage image(side, side, QImage::Format_RGB32);
        QPainter painter(&image);
        if (with) {
            ScreenView::draw(painter, side, document, plainPicture, Qt::white, *with);
        } else { // with the outlines of text off the ring, which only the screen adds
            LabelRenderer::drawView(painter, side, document, plainPicture, Qt::white);
            RangeOutlines::draw(painter, Geometry::screen(side), document,
                                DiscRangeCheck::check(document));
        }
        return image;
    };
    QVERIFY(differingPixels(renderPlain(&caches), renderPlain(nullptr)) < 20);
    QCOMPARE(caches.text.rebuildCount(), 1);

    for (float left : {3.0f, 9.0f}) { // a background drag: the layer stays
        document.BackLeft = left;
        render(&caches);
    }
    QCOMPARE(caches.text.rebuildCount(), 1);

    document.item(1).Text = QStringLiteral("変更後");
    QVERIFY(differingPixels(renderPlain(&caches), renderPlain(nullptr)) < 20);
    QCOMPARE(caches.text.rebuildCount(), 2);
    document.item(2).Left += 1;
    renderPlain(&caches);
    document.TextItems.resize(std::size_t(2));
    renderPlain(&caches);
    QCOMPARE(caches.text.rebuildCount(), 4);
}

// The kept circle pixels invert exactly what drawing the circles inverts, at every view size.
void TestBackground::keptCirclePixelsInvertWhatDrawingTheCirclesDoes() {
    const LabelDocument empty;
    ViewCaches caches;
    for (int side : {366, 1000, 365, 366}) {
        QImage kept(side, side, QImage::Format_RGB32), drawn(side, side, QImage::Format_RGB32);
        QPainter keptPainter(&kept), drawnPainter(&drawn);
        const QColor background(200, 120, 40);
        ScreenView::draw(keptPainter, side, empty, Picture(), background, caches);
        LabelRenderer::drawView(drawnPainter, side, empty, Picture(), background);
        keptPainter.end();
        drawnPainter.end();
        QCOMPARE(kept, drawn);
    }
}

QTEST_MAIN(TestBackground)
#include "test_background.moc"
