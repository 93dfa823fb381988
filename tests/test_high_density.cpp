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
bool white(const QImage& image, int x, int y) { return (image.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF; }
} // namespace

class HighDensityTest : public QObject {
    Q_OBJECT

private slots:
    void deviceResolution_data() {
        QTest::addColumn<float>("backTop");
        QTest::newRow("picture covering the label") << 0.0f;
        QTest::newRow("picture leaving a margin below") << 61.0f;
    }

    // A picture with one of its pixels to each device pixel: a single white column stays one
    // column, the guide circle is one logical pixel (two device pixels) wide, and the screen's
    // quick drawing (in bands, from what it keeps) matches the renderer's direct drawing.
    void deviceResolution() {
        QFETCH(float, backTop);
        ScriptedPlatform platform;
        frmMain window(platform);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        LabelView* view = window.picDoc();
        QCOMPARE(view->devicePixelRatioF(), 2.0);
        view->resize(244, 244); // 4 device pixels to the millimetre
        QImage image(488, 488, QImage::Format_RGB32);
        image.fill(Qt::black);
        for (int y = 0; y < 40; ++y)
            image.setPixel(101, int(backTop) * 4 + y, qRgb(255, 255, 255));
        const Picture picture(image, QSizeF(LabelSideMm, LabelSideMm));
        window.setBackgroundPicture(picture);
        LabelDocument& document = window.document();
        // On the ring, so that the screen draws no range outline the renderer would not.
        document.TextItems.resize(std::size_t(1));
        document.item(0) = TextItem{"帯 Band", 20, 30, 0, 0, 30, 3, "IPAGothic"};
        document.BackTop = backTop;
        document.BackWidth = document.BackHeight = LabelSideMm;
        window.RedrawLabel();

        const QImage& shown = view->image();
        QCOMPARE(shown.size(), QSize(488, 488));
        for (int y : {0, 20, 39})
            QVERIFY(white(shown, 101, y) && !white(shown, 100, y) && !white(shown, 102, y));
        int circlePixels = 0; // the outer circle crosses the centre's column 58 mm above it
        for (int y = 0; y < 140; ++y)
            circlePixels += white(shown, 244, y) ? 1 : 0;
        QCOMPARE(circlePixels, 2);

        QImage direct(488, 488, QImage::Format_RGB32);
        direct.setDevicePixelRatio(2);
        QPainter painter(&direct);
        LabelRenderer::drawView(painter, 244, document, picture,
                                view->palette().color(QPalette::Base));
        painter.end();
        int differing = 0;
        for (int y = 0; y < 488; ++y)
            for (int x = 0; x < 488; ++x)
                differing += qGray(shown.pixel(x, y)) / 8 != qGray(direct.pixel(x, y)) / 8;
        QVERIFY2(differing < 100, qPrintable(QString::number(differing)));
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
            for (QWidget* child : dialog->findChildren<QWidget*>()) {
                const QString name = dialog->objectName() + "." + child->objectName();
                QVERIFY2(!child->isVisible() || dialog->rect().contains(child->geometry()),
                         qPrintable(name));
                if (auto* label = qobject_cast<QLabel*>(child))
                    QVERIFY2(label->text().isEmpty() ||
                                 (label->sizeHint().width() <= label->width() &&
                                  label->sizeHint().height() <= label->height()),
                             qPrintable(name));
                if (auto* button = qobject_cast<QAbstractButton*>(child))
                    QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) <
                                 button->width(),
                             qPrintable(name));
            }
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
