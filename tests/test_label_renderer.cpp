// The screen drawing of the label, checked by reading pixels of the rendered image.
#include "shapes/ItemFonts.h"
#include "view/LabelRenderer.h"

#include <QPainter>
#include <QTest>
#include <cmath>

namespace {
QImage render(int side, const LabelDocument& document, const QColor& background = Qt::white,
              const Picture& picture = Picture()) {
    QImage image(side, side, QImage::Format_RGB32);
    QPainter painter(&image);
    LabelRenderer::drawView(painter, side, document, picture, background);
    return image;
}

// Where the text items changed the image: the pixels that differ from the empty label's.
QRect inkBounds(const QImage& image) {
    const QImage empty = render(image.width(), LabelDocument());
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != empty.pixel(x, y))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}
} // namespace

class LabelRendererTest : public QObject {
    Q_OBJECT
private slots:
    void guideCirclesInvertAtTheirRadii_data() {
        QTest::addColumn<int>("side");
        QTest::newRow("500 px") << 500;
        QTest::newRow("1000 px") << 1000;
    }

    void guideCirclesInvertAtTheirRadii() {
        QFETCH(int, side);
        LabelDocument empty;
        const QColor background(200, 100, 50);
        const QImage image = render(side, empty, background);
        const QRgb inverted = qRgb(255 - 200, 255 - 100, 255 - 50);
        const double pxPerMm = side / 122.0;
        const double centre = side / 2.0;

        // Along the four axes, the only inverted pixels lie within a pixel of 58 mm and 20 mm.
        for (const QPoint direction : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
            QList<double> radiiMm;
            for (int step = 0; step < side / 2; ++step) {
                const int x = int(centre) + direction.x() * step;
                const int y = int(centre) + direction.y() * step;
                if (x < 0 || y < 0 || x >= side || y >= side)
                    break;
                const QRgb pixel = image.pixel(x, y);
                QVERIFY(pixel == background.rgb() || pixel == inverted);
                if (pixel == inverted)
                    radiiMm << std::hypot(x + 0.5 - centre, y + 0.5 - centre) / pxPerMm;
            }
            QVERIFY2(radiiMm.size() >= 2, "both circles cross every axis");
            for (double radius : radiiMm) {
                const double pixelMm = 1.0 / pxPerMm;
                QVERIFY2(std::abs(radius - 58) <= 1.5 * pixelMm || std::abs(radius - 20) <= 1.5 * pixelMm,
                         qPrintable(QString::number(radius)));
            }
        }
        // Drawing twice gives the same image: the clearing removes the inverted circles.
        QCOMPARE(render(side, empty, background), image);
    }

    void textScalesWithTheViewWidth() {
        LabelDocument document;
        document.TextItems.resize(std::size_t(1));
        document.item(0) = TextItem{QStringLiteral("漢字ABC"), 10, 40, 0, 0, 40, 0,
                                    QStringLiteral("IPAGothic")};
        const QRect large = inkBounds(render(1000, document));
        const QRect small = inkBounds(render(500, document));
        QVERIFY(!large.isEmpty() && !small.isEmpty());
        const double ratio = double(small.height()) / large.height();
        QVERIFY2(std::abs(ratio - 0.5) < 0.06, qPrintable(QString::number(ratio)));
        // The line box starts at the item's position: ink begins just below (10, 40) mm.
        QVERIFY(large.left() >= int(10 * 1000 / 122.0) - 1);
        QVERIFY(large.top() >= int(40 * 1000 / 122.0) - 1);

        // At the label's real size (6917.4 twips = 461.16 px) a 40-point line is 40 points high.
        const QSizeF measured = ItemFonts::measureText(document.item(0), 6917.4 / 15);
        QVERIFY2(std::abs(measured.height() - 40 * 25.4 / 72 * 1.0) < 40 * 25.4 / 72 * 0.25,
                 qPrintable(QString::number(measured.height())));
        QVERIFY(measured.width() > measured.height());
    }

    void textUsesTheColourTableAndDrawsInOrder() {
        LabelDocument document;
        document.TextItems.resize(std::size_t(2));
        document.item(0) = TextItem{QStringLiteral("■"), 50, 50, 0, 0, 60, 12, "IPAGothic"};
        document.item(1) = TextItem{QStringLiteral("■"), 50, 50, 0, 0, 60, 2, "IPAGothic"};
        const QImage image = render(600, document);
        // The later item paints over the earlier one: the square is green (0, 128, 0).
        const QRect ink = inkBounds(image);
        QCOMPARE(image.pixelColor(ink.center()), QColor(0, 128, 0));
    }

    void damagedItemsDrawWithoutHarm() {
        LabelDocument document;
        document.TextItems.resize(std::size_t(5));
        const float nan = std::numeric_limits<float>::quiet_NaN();
        document.item(0) = TextItem{"x", nan, 10, 0, 0, 40, 0, "IPAGothic"};
        document.item(1) = TextItem{"x", 10, 10, 0, 0, 2147483647, 0, "IPAGothic"};
        document.item(2) = TextItem{"x", 10, 10, 0, 0, -5, 99, "NoSuchFont"};
        document.item(3) = TextItem{"x", 1e30f, -1e30f, 0, 0, 40, -1, "IPAGothic"};
        document.item(4) = TextItem{"x", 10, 10, 0, 0, 0, 16, ""};
        const QImage image = render(300, document);
        QVERIFY(!image.isNull());
    }

    void backgroundIsStretchedFromItsRectangle() {
        // 480 × 480 px = 127 mm; left half red, right half blue.
        QImage picture(480, 480, QImage::Format_RGB32);
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 480; ++x)
                picture.setPixel(x, y, x < 240 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
        LabelDocument document;
        document.BackLeft = 0;
        document.BackTop = 0;
        document.BackWidth = document.BackHeight = 127; // the whole picture over the label
        const QImage image = render(610, document, Qt::white, Picture::fromBitmap(picture));
        QCOMPARE(image.pixelColor(150, 300), QColor(255, 0, 0));
        QCOMPARE(image.pixelColor(500, 300), QColor(0, 0, 255));

        // A rectangle past the picture's right edge leaves the background colour there.
        document.BackLeft = 100;
        document.BackWidth = document.BackHeight = 61;
        const QImage shifted = render(610, document, Qt::white, Picture::fromBitmap(picture));
        QCOMPARE(shifted.pixelColor(150, 300), QColor(0, 0, 255));
        QCOMPARE(shifted.pixelColor(420, 300), QColor(Qt::white));
    }
};

QTEST_MAIN(LabelRendererTest)
#include "test_label_renderer.moc"
