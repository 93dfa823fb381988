// A high-density screen (device pixel ratio 2): the label is drawn at the device's resolution,
// and the dialogs fit their texts.
#include "editing/frmText.h"
#include "mainwindow/frmAbout.h"
#include "mainwindow/frmMain.h"
#include "printing/frmPrint.h"
#include "support/ScriptedPlatform.h"
#include "view/LabelRenderer.h"
#include "view/widgets/LabelView.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPainter>
#include <QtTest>

namespace {
constexpr int ViewSidePx = 244; // 2 logical pixels, 4 device pixels to the millimetre

bool white(const QImage& image, int x, int y) {
    return (image.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
}
} // namespace

class HighDensityTest : public QObject {
    Q_OBJECT

private slots:
    // A picture with one device pixel to each of its pixels: a single white column stays a single
    // column, and the guide circle is one logical pixel (two device pixels) wide.
    void labelAtDeviceResolution() {
        ScriptedPlatform platform;
        frmMain window(platform);
        window.resize(600, 500);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        LabelView* view = window.picDoc();
        QCOMPARE(view->devicePixelRatioF(), 2.0);
        view->resize(ViewSidePx, ViewSidePx);

        QImage picture(ViewSidePx * 2, ViewSidePx * 2, QImage::Format_RGB32);
        picture.fill(Qt::black);
        for (int y = 0; y < 40; ++y)
            picture.setPixel(101, y, qRgb(255, 255, 255));
        window.setBackgroundPicture(Picture(picture, QSizeF(LabelSideMm, LabelSideMm)));
        LabelDocument& document = window.document();
        document.BackWidth = document.BackHeight = LabelSideMm;
        window.RedrawLabel();

        const QImage& shown = view->image();
        QCOMPARE(shown.size(), QSize(ViewSidePx * 2, ViewSidePx * 2));
        for (int y : {0, 20, 39}) {
            QVERIFY(white(shown, 101, y));
            QVERIFY(!white(shown, 100, y));
            QVERIFY(!white(shown, 102, y));
        }
        // The outer circle crosses the column through the centre 58 mm above it.
        const int centre = ViewSidePx; // in device pixels
        int circlePixels = 0;
        for (int y = 0; y < centre - 100; ++y)
            circlePixels += white(shown, centre, y) ? 1 : 0;
        QCOMPARE(circlePixels, 2);
    }

    // The screen's quick way (band by band, from what it keeps between redraws) draws at ratio 2
    // what the renderer draws directly: text, circles and a picture, also with a picture that
    // does not cover the label.
    void keptDrawingMatchesDirectDrawing_data() {
        QTest::addColumn<float>("backLeft");
        QTest::newRow("picture covering the label") << 5.0f;
        QTest::newRow("picture leaving a margin") << 30.0f;
    }
    void keptDrawingMatchesDirectDrawing() {
        QFETCH(float, backLeft);
        LabelDocument document;
        for (int i = 0; i < 6; ++i) {
            TextItem& item = document.item(i);
            item.Text = QStringLiteral("帯 Band %1").arg(i);
            item.FontName = QStringLiteral("IPAGothic");
            item.Size = 10 + 6 * i;
            item.Color = i;
            item.Left = 4.0f + 9 * i;
            item.Top = 7.0f + 19 * i;
        }
        document.TextCount = 6;
        QImage picture(200, 200, QImage::Format_RGB32);
        picture.fill(qRgb(200, 220, 240));
        document.BackLeft = backLeft;
        document.BackWidth = document.BackHeight = 40;
        const Picture background = Picture::fromBitmap(picture);
        const int side = 300;
        auto render = [&](ViewCaches* caches) {
            QImage image(side * 2, side * 2, QImage::Format_RGB32);
            image.setDevicePixelRatio(2);
            QPainter painter(&image);
            if (caches)
                LabelRenderer::drawView(painter, side, document, background, Qt::white, *caches);
            else
                LabelRenderer::drawView(painter, side, document, background, Qt::white);
            return image;
        };
        ViewCaches caches;
        const QImage kept = render(&caches), direct = render(nullptr);
        int differing = 0;
        for (int y = 0; y < kept.height(); ++y)
            for (int x = 0; x < kept.width(); ++x) {
                const QRgb a = kept.pixel(x, y), b = direct.pixel(x, y);
                differing += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                                 std::abs(qBlue(a) - qBlue(b)) >
                             24;
            }
        QVERIFY2(differing < 40, qPrintable(QString::number(differing)));
    }

    // Every text of the program's own dialogs fits the control that shows it, inside the dialog.
    void dialogsFitTheirTexts() {
        ScriptedPlatform platform;
        frmMain window(platform);
        frmAbout about(&window);
        frmPrint print(platform, &window);
        frmText text(platform, &window);
        for (QDialog* dialog : QList<QDialog*>{&about, &print, &text}) {
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            QCOMPARE(dialog->devicePixelRatioF(), 2.0);
            for (QWidget* child : dialog->findChildren<QWidget*>()) {
                if (!child->isVisible())
                    continue;
                const QString name = dialog->objectName() + "." + child->objectName();
                QVERIFY2(dialog->rect().contains(child->geometry()), qPrintable(name));
                if (auto* label = qobject_cast<QLabel*>(child); label && !label->text().isEmpty()) {
                    QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(name));
                    QVERIFY2(label->sizeHint().height() <= label->height(), qPrintable(name));
                }
                if (auto* button = qobject_cast<QAbstractButton*>(child))
                    QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) <
                                 button->width(),
                             qPrintable(name));
            }
            dialog->hide();
        }
    }
};

int main(int argc, char** argv) {
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    HighDensityTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_high_density.moc"
