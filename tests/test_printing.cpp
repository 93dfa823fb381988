// Printing the label: the print command through a scripted print dialog to a PDF file (and, when
// tests/scripts/cups_print.sh provides one, to a real CUPS queue), the exporter of gpctool render,
// all checked on the rasterised page.
#include "document/LabelFileCodec.h"
#include "mainwindow/frmMain.h"
#include "printing/render/PageExport.h"
#include "shapes/ItemFonts.h"
#include "support/PrintTargets.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "view/LabelRenderer.h"

#include <QAction>
#include <QBuffer>
#include <QDialog>
#include <QDir>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace {

constexpr int RasterDpi = 300;
constexpr double ToleranceMm = 0.2;
const QColor PictureColor(0, 0, 255);

double pxPerMm(int dpi) {
    return dpi / 25.4;
}

// A page rasterised by poppler; empty with the reason in `error` when that failed.
QImage rasterise(const QString& pdf, int dpi, QString& error) {
    QTemporaryDir dir;
    QProcess process;
    process.start(QStringLiteral("pdftoppm"),
                  {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                   QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("page"))});
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        error = QStringLiteral("pdftoppm failed on %1: %2")
                    .arg(pdf, QString::fromLocal8Bit(process.readAllStandardError()));
        return QImage();
    }
    return QImage(dir.filePath(QStringLiteral("page.png"))).convertToFormat(QImage::Format_RGB32);
}

QRgb pixelAtMm(const QImage& page, int dpi, QPointF mm) {
    const QPoint px(int(mm.x() * pxPerMm(dpi)), int(mm.y() * pxPerMm(dpi)));
    return page.rect().contains(px) ? page.pixel(px) : qRgb(255, 255, 255);
}

bool near(QRgb pixel, const QColor& color) {
    return std::abs(qRed(pixel) - color.red()) < 40 &&
           std::abs(qGreen(pixel) - color.green()) < 40 &&
           std::abs(qBlue(pixel) - color.blue()) < 40;
}

bool dark(QRgb pixel) {
    return qGray(pixel) < 128 && qBlue(pixel) < 128;
}

// Bounds (mm) of the dark pixels inside a region given in mm.
QRectF inkBoundsMm(const QImage& page, int dpi, const QRectF& regionMm) {
    const double scale = pxPerMm(dpi);
    const QRect region = QRect(int(regionMm.left() * scale), int(regionMm.top() * scale),
                               int(regionMm.width() * scale), int(regionMm.height() * scale))
                             .intersected(page.rect());
    QRect bounds;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            if (dark(page.pixel(x, y)))
                bounds |= QRect(x, y, 1, 1);
    if (bounds.isEmpty())
        return QRectF();
    return QRectF(bounds.left() / scale, bounds.top() / scale, bounds.width() / scale,
                  bounds.height() / scale);
}

// Where a text item's glyphs lie when its line box's top-left corner is at `topLeftMm`, worked out
// from the font's own metrics at the item's point size.
QRectF expectedInkMm(const TextItem& item, QPointF topLeftMm) {
    QImage device(1, 1, QImage::Format_RGB32);
    device.setDotsPerMeterX(47244); // 1200 dpi
    device.setDotsPerMeterY(47244);
    const double unitsPerMm = device.logicalDpiY() / 25.4;
    const QFont font =
        ItemFonts::itemFont(item.FontName, item.Size * 25.4 / 72 * unitsPerMm, &device);
    const QFontMetricsF metrics(font, &device);
    const QRectF ink = metrics.tightBoundingRect(item.Text);
    return QRectF(topLeftMm.x() + ink.left() / unitsPerMm,
                  topLeftMm.y() + (metrics.ascent() + ink.top()) / unitsPerMm,
                  ink.width() / unitsPerMm, ink.height() / unitsPerMm);
}

QString compareRects(const QRectF& actual, const QRectF& expected) {
    const bool close = std::abs(actual.left() - expected.left()) <= ToleranceMm &&
                       std::abs(actual.top() - expected.top()) <= ToleranceMm &&
                       std::abs(actual.right() - expected.right()) <= ToleranceMm &&
                       std::abs(actual.bottom() - expected.bottom()) <= ToleranceMm;
    if (close)
        return QString();
    const auto text = [](const QRectF& r) {
        return QStringLiteral("(%1, %2)-(%3, %4)")
            .arg(r.left(), 0, 'f', 2)
            .arg(r.top(), 0, 'f', 2)
            .arg(r.right(), 0, 'f', 2)
            .arg(r.bottom(), 0, 'f', 2);
    };
    return QStringLiteral("ink at %1 mm, expected %2 mm").arg(text(actual), text(expected));
}

// A uniformly coloured bitmap whose whole area is stretched over the label square.
Picture uniformPicture() {
    QImage image(240, 240, QImage::Format_RGB32);
    image.fill(PictureColor);
    return Picture::fromBitmap(image);
}

void showWholePicture(LabelDocument& document, const Picture& picture) {
    document.BackLeft = 0;
    document.BackTop = 0;
    document.BackWidth = float(picture.naturalSizeMm().width());
    document.BackHeight = float(picture.naturalSizeMm().height());
}

TextItem textItem(float left, float top, int size, const QString& text = QStringLiteral("H")) {
    return TextItem{text, left, top, 0, 0, size, 0, QStringLiteral("DejaVu Sans")};
}

// The test label: a 40-point "H" at (20, 30) mm and a small "H" in the corner outside the disc.
LabelDocument testDocument() {
    LabelDocument document;
    document.TextItems.resize(std::size_t(2));
    document.item(0) = textItem(20, 30, 40);
    document.item(1) = textItem(1, 1, 12);
    return document;
}

QPointF onCircle(QPointF centre, double radius, double degrees) {
    const double a = degrees * std::numbers::pi / 180;
    return centre + QPointF(radius * std::cos(a), radius * std::sin(a));
}

// The page checks shared by the printer, the PDF and the PNG export: the square at `originMm`
// (printable area's top-left plus the offset), the picture only on the ring, no guide circles,
// the text items where the document puts them. Returns what is wrong, or nothing.
QString pageProblems(const QImage& page, int dpi, QPointF originMm, bool withPicture) {
    const LabelDocument document = testDocument();
    QList<QRectF> textAreas;
    for (int i = 0; i < document.itemCount(); ++i) {
        const TextItem& item = document.item(i);
        textAreas
            << expectedInkMm(item, originMm + QPointF(item.Left, item.Top)).adjusted(-1, -1, 1, 1);
    }
    const auto onText = [&](QPointF at) {
        return std::any_of(textAreas.begin(), textAreas.end(),
                           [&](const QRectF& area) { return area.contains(at); });
    };

    const QPointF centre = originMm + QPointF(61, 61);
    const QColor white(255, 255, 255);
    const QColor ring = withPicture ? PictureColor : white;
    for (double degrees = 0; degrees < 360; degrees += 10) {
        for (const auto& [radius, expected] : {std::pair{17.0, white},
                                               {19.0, ring},
                                               {20.0, ring},
                                               {40.0, ring},
                                               {58.0, ring},
                                               {60.0, ring},
                                               {62.0, white}}) {
            const QPointF at = onCircle(centre, radius, degrees);
            if (onText(at) || at.x() < 0 || at.y() < 0)
                continue; // a negative offset moves part of the label off the page
            if (!near(pixelAtMm(page, dpi, at), expected))
                return QStringLiteral("pixel at radius %1 mm, %2° is %3, expected %4")
                    .arg(radius)
                    .arg(degrees)
                    .arg(QColor(pixelAtMm(page, dpi, at)).name(), expected.name());
        }
    }
    for (const QPointF corner : {QPointF(2, 119), QPointF(119, 2), QPointF(119, 119)})
        if (!near(pixelAtMm(page, dpi, originMm + corner), white))
            return QStringLiteral("corner (%1, %2) is not white").arg(corner.x()).arg(corner.y());

    if (withPicture && originMm.x() >= 0 && originMm.y() >= 0) {
        // The ring's left and top extremes are the square's left and top edges.
        const double scale = pxPerMm(dpi);
        const int row = int(centre.y() * scale), column = int(centre.x() * scale);
        int left = 0, top = 0;
        while (left < page.width() && !near(page.pixel(left, row), PictureColor))
            ++left;
        while (top < page.height() && !near(page.pixel(column, top), PictureColor))
            ++top;
        if (std::abs(left / scale - originMm.x()) > ToleranceMm ||
            std::abs(top / scale - originMm.y()) > ToleranceMm)
            return QStringLiteral("square's top-left at (%1, %2) mm, expected (%3, %4)")
                .arg(left / scale)
                .arg(top / scale)
                .arg(originMm.x())
                .arg(originMm.y());
    }

    for (int i = 0; i < document.itemCount(); ++i) {
        const TextItem& item = document.item(i);
        const QPointF topLeft = originMm + QPointF(item.Left, item.Top);
        const QRectF expected = expectedInkMm(item, topLeft);
        const QRectF actual = inkBoundsMm(page, dpi, expected.adjusted(-3, -3, 3, 3));
        if (const QString problem = compareRects(actual, expected); !problem.isEmpty())
            return QStringLiteral("item %1: %2").arg(i).arg(problem);
    }
    return QString();
}

bool sameSize(QSize actual, QSize expected) {
    return std::abs(actual.width() - expected.width()) <= 1 &&
           std::abs(actual.height() - expected.height()) <= 1;
}

// The test label has an item outside the disc on purpose, so printing asks first; these setups
// answer Yes and look only at the error messages.
QList<ScriptedPlatform::Message> errorMessages(const ScriptedPlatform& platform) {
    QList<ScriptedPlatform::Message> errors;
    for (const ScriptedPlatform::Message& message : platform.messages)
        if (message.title == QStringLiteral("エラー"))
            errors << message;
    return errors;
}

struct PrintSetup {
    ScriptedPlatform platform;
    frmMain window{platform};

    explicit PrintSetup(bool withPicture) {
        platform.messageAnswers.push_back(MessageAnswer::Yes);
        window.document() = testDocument();
        if (withPicture) {
            const Picture picture = uniformPicture();
            showWholePicture(window.document(), picture);
            window.setBackgroundPicture(picture);
        }
    }

    // Prints the label through the dialog into a PDF and rasterises its page; a null image with
    // `error` when that fails.
    QImage printedPage(QString& error) {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("label.pdf"));
        platform.printAnswers.push_back(PrintTargets::pdfOnA4(pdf));
        window.mnuFilePrint_Click();
        return rasterise(pdf, RasterDpi, error);
    }
};

using TestFiles::pngBytes;

int runGpctool(const QStringList& args, QString* errors = nullptr) {
    QProcess process;
    process.start(qEnvironmentVariable("GPCTOOL"), args);
    if (!process.waitForFinished(120000))
        return -1;
    if (errors)
        *errors = QString::fromLocal8Bit(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// The alignment sheet's marks on a rasterised page whose label square starts at `originMm`:
// the centre cross, the 10 mm ticks with their numbers, the circles at their radii.
QString alignmentProblems(const QImage& page, int dpi, QPointF originMm) {
    const double scale = pxPerMm(dpi);
    const QPointF centre = originMm + QPointF(61, 61);
    const auto darkAt = [&](QPointF mm) { return qGray(pixelAtMm(page, dpi, mm)) < 160; };
    // The middle of the dark run crossing a line through `from` in direction `step` (mm).
    const auto lineAt = [&](QPointF from, QPointF step, double spanMm) -> std::optional<double> {
        std::optional<double> first, last;
        for (double t = -spanMm; t <= spanMm; t += 1 / scale)
            if (darkAt(from + t * step)) {
                first = first.value_or(t);
                last = t;
            }
        if (!first)
            return std::nullopt;
        return (*first + *last) / 2;
    };
    // Between ticks (half millimetres), the only ink near the centre lines is the lines.
    const auto row = lineAt(QPointF(centre.x() + 30.5, centre.y()), QPointF(0, 1), 1.5);
    const auto column = lineAt(QPointF(centre.x(), centre.y() + 30.5), QPointF(1, 0), 1.5);
    if (!row || !column || std::abs(*row) > ToleranceMm || std::abs(*column) > ToleranceMm)
        return QStringLiteral("centre cross off by (%1, %2) mm")
            .arg(column.value_or(99))
            .arg(row.value_or(99));
    for (int mm = -60; mm <= 60; mm += 5) {
        const QPointF tick = centre + QPointF(mm, 0);
        // A 10 mm tick reaches 2.5 mm from the line, a 5 mm tick 1.5 mm, others 0.75 mm.
        const bool major = mm % 10 == 0;
        if (darkAt(tick + QPointF(0, -2.0)) != major || !darkAt(tick + QPointF(0, -1.2)))
            return QStringLiteral("tick at %1 mm is not where it belongs").arg(mm);
        if (darkAt(tick + QPointF(0.5, -1.2)))
            return QStringLiteral("ink between the ticks at %1 mm").arg(mm);
        if (major &&
            inkBoundsMm(page, dpi, QRectF(tick + QPointF(-2.5, 2.8), QSizeF(5, 2.5))).isEmpty())
            return QStringLiteral("no number under the tick at %1 mm").arg(mm);
    }
    for (const double radius : {20.0, 58.0, 60.0})
        for (const double degrees : {45.0, 135.0}) {
            const QPointF direction = onCircle(QPointF(0, 0), 1, degrees);
            const auto found = lineAt(centre + radius * direction, direction, 0.9);
            if (!found || std::abs(*found) > ToleranceMm)
                return QStringLiteral("circle of %1 mm off by %2 mm at %3°")
                    .arg(radius)
                    .arg(found.value_or(99))
                    .arg(degrees);
        }
    return QString();
}

// A label document file from the test label (with the picture).
QString writeTestLabel(const QString& path) {
    const Picture picture = uniformPicture();
    LabelDocument document = testDocument();
    showWholePicture(document, picture);
    const LabelFileCodec::EncodeResult encoded =
        LabelFileCodec::encode(document, 0, pngBytes(picture.image()));
    QFile file(path);
    if (!encoded.bytes || !file.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write the test label");
    file.write(*encoded.bytes);
    return QString();
}

} // namespace

class PrintingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty(),
                 "pdftoppm (poppler-utils) is needed to read the printed pages");
    }

    void printedPageAtTheOffset_data() {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("top");
        QTest::addColumn<QPointF>("offsetMm");
        QTest::addColumn<QMarginsF>("marginsMm");
        QTest::newRow("no offset, no margins") << "0"
                                               << "0" << QPointF(0, 0) << QMarginsF();
        QTest::newRow("no offset, margins") << "0"
                                            << "0" << QPointF(0, 0) << QMarginsF(7, 9, 7, 9);
        QTest::newRow("10, 5") << "10"
                               << "5" << QPointF(10, 5) << QMarginsF(7, 9, 7, 9);
        QTest::newRow("1.5, -0.5") << "1.5"
                                   << "-0.5" << QPointF(1.5, -0.5) << QMarginsF(7, 9, 7, 9);
        QTest::newRow("missing keys")
            << QString() << QString() << QPointF(0, 0) << QMarginsF(5, 5, 5, 5);
    }

    // Square and text land at the offset from the printable area, which for a PDF printer is the
    // whole page whatever margins the dialog left; the picture only on the ring.
    void printedPageAtTheOffset() {
        QFETCH(QString, left);
        QFETCH(QString, top);
        QFETCH(QPointF, offsetMm);
        QFETCH(QMarginsF, marginsMm);
        PrintSetup setup(true);
        if (!left.isNull()) {
            setup.platform.settings[QStringLiteral("PrinterLeft")] = left;
            setup.platform.settings[QStringLiteral("PrinterTop")] = top;
        }
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("label.pdf"));
        setup.platform.printAnswers.push_back(PrintTargets::pdfOnA4(pdf, marginsMm));
        // A negative offset puts part of the square off the printable area: asked, and yes.
        setup.platform.messageAnswers.push_back(MessageAnswer::Yes);
        const LabelDocument before = setup.window.document();

        setup.window.mnuFilePrint_Click();

        QCOMPARE(setup.platform.printDialogsShown, 1);
        QVERIFY(errorMessages(setup.platform).isEmpty());
        QString error;
        const QImage page = rasterise(pdf, RasterDpi, error);
        QVERIFY2(!page.isNull(), qPrintable(error));
        const QString problem = pageProblems(page, RasterDpi, offsetMm, true);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        // Printing changes neither the document nor the settings.
        QCOMPARE(setup.window.document().TextItems, before.TextItems);
        QVERIFY(!setup.window.document().LabelChanged);
        QCOMPARE(setup.platform.settings.value(QStringLiteral("PrinterLeft")), left);
    }

    // Point sizes are true points on paper, whatever size the window has.
    void textPrintsAtItsStoredPointSize() {
        QList<QRectF> inks;
        for (const QSize windowSize : {QSize(500, 400), QSize(1200, 900)}) {
            PrintSetup setup(false);
            setup.window.resize(windowSize);
            QString error;
            const QImage page = setup.printedPage(error);
            QVERIFY2(!page.isNull(), qPrintable(error));
            inks << inkBoundsMm(page, RasterDpi, QRectF(15, 25, 30, 30));
        }
        const QRectF expected = expectedInkMm(textItem(20, 30, 40), QPointF(20, 30));
        // A 40-point capital H is about 10 mm high.
        QVERIFY2(expected.height() > 9 && expected.height() < 11.5,
                 qPrintable(QString::number(expected.height())));
        for (const QRectF& ink : inks)
            QVERIFY2(compareRects(ink, expected).isEmpty(),
                     qPrintable(compareRects(ink, expected)));
    }

    void withoutPictureOnlyTheTextPrints() {
        PrintSetup setup(false);
        QString error;
        const QImage page = setup.printedPage(error);
        QVERIFY2(!page.isNull(), qPrintable(error));
        const QString problem = pageProblems(page, RasterDpi, QPointF(0, 0), false);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        // Nothing but the two items' glyphs: no ring, no circles, no frame.
        const LabelDocument document = testDocument();
        QRectF allowed;
        for (int i = 0; i < document.itemCount(); ++i)
            allowed |= expectedInkMm(document.item(i),
                                     QPointF(document.item(i).Left, document.item(i).Top))
                           .adjusted(-0.3, -0.3, 0.3, 0.3);
        const double scale = pxPerMm(RasterDpi);
        for (int y = 0; y < page.height(); y += 2)
            for (int x = 0; x < page.width(); x += 2)
                if (page.pixel(x, y) != qRgb(255, 255, 255) &&
                    !allowed.contains(x / scale, y / scale))
                    QFAIL(qPrintable(
                        QStringLiteral("ink at (%1, %2) mm").arg(x / scale).arg(y / scale)));
    }

    void cancellingPrintsNothingAndSaysNothing() {
        PrintSetup setup(true);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("label.pdf"));
        setup.platform.printAnswers.push_back([&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return false;
        });
        setup.window.mnuFilePrint_Click();
        QCOMPARE(setup.platform.printDialogsShown, 1);
        QVERIFY(errorMessages(setup.platform).isEmpty());
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(setup.platform.unexpected.isEmpty());
    }

    void unusableStoredOffsetIsReported_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("letters") << "PrinterLeft"
                                 << "abc";
        QTest::newRow("empty") << "PrinterTop"
                               << "";
        QTest::newRow("trailing letters") << "PrinterLeft"
                                          << "12a";
        QTest::newRow("not finite") << "PrinterTop"
                                    << "1e999";
        QTest::newRow("beyond any page") << "PrinterLeft"
                                         << "1e30";
        QTest::newRow("two numbers") << "PrinterTop"
                                     << "1.5.5";
    }

    // The stored offset is checked before the dialog, and a bad one says so instead of ending
    // without a word.
    void unusableStoredOffsetIsReported() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        PrintSetup setup(true);
        setup.platform.settings[key] = value;
        setup.window.mnuFilePrint_Click();
        QCOMPARE(setup.platform.printDialogsShown, 0);
        QCOMPARE(setup.platform.messages.size(), 1);
        QCOMPARE(setup.platform.messages[0].text,
                 QStringLiteral("印刷できませんでした。\n印刷位置設定の値が数値でないか、"
                                "-1000～1000 mm の範囲を外れています。"));
        QCOMPARE(setup.platform.messages[0].title, QStringLiteral("エラー"));
        QCOMPARE(setup.platform.messages[0].buttons, MessageButtons::Ok);
        QCOMPARE(setup.platform.settings.value(key), value);
    }

    void refusedJobIsReported() {
        PrintSetup setup(true);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("no such folder/label.pdf"));
        setup.platform.printAnswers.push_back(PrintTargets::pdfOnA4(pdf));
        setup.window.mnuFilePrint_Click();
        const QList<ScriptedPlatform::Message> errors = errorMessages(setup.platform);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(
            errors[0].text,
            QStringLiteral("印刷できませんでした。\nプリンターが印刷を受け付けませんでした。"));
        QVERIFY(!QFile::exists(pdf));
    }

    // gpctool render writes the very page the print command sends, as PDF and as PNG, and the
    // screen view with its guide circles.
    void gpctoolRenderMatchesThePrintedPage() {
        QVERIFY2(QFile::exists(qEnvironmentVariable("GPCTOOL")), "GPCTOOL names the tool");
        QTemporaryDir dir;
        const QString gpc = dir.filePath(QStringLiteral("label.gpc"));
        QCOMPARE(writeTestLabel(gpc), QString());

        const QString pdf = dir.filePath(QStringLiteral("label.pdf"));
        const QString png = dir.filePath(QStringLiteral("label.png"));
        QString errors;
        QCOMPARE(runGpctool({QStringLiteral("render"), QStringLiteral("--offset"),
                             QStringLiteral("10,5"), gpc, pdf},
                            &errors),
                 0);
        QString error;
        const QImage fromPdf = rasterise(pdf, RasterDpi, error);
        QVERIFY2(!fromPdf.isNull(), qPrintable(error));
        QVERIFY(sameSize(fromPdf.size(), QSize(2480, 3508))); // A4 portrait at 300 dpi
        QString problem = pageProblems(fromPdf, RasterDpi, QPointF(10, 5), true);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        QCOMPARE(runGpctool({QStringLiteral("render"), QStringLiteral("--offset=10,5"),
                             QStringLiteral("--dpi"), QStringLiteral("200"), gpc, png},
                            &errors),
                 0);
        const QImage fromPng = QImage(png).convertToFormat(QImage::Format_RGB32);
        QVERIFY(sameSize(fromPng.size(), QSize(1654, 2339)));
        problem = pageProblems(fromPng, 200, QPointF(10, 5), true);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        // The editor's own print of the same label gives the same page.
        PrintSetup setup(true);
        setup.platform.settings[QStringLiteral("PrinterLeft")] = QStringLiteral("10");
        setup.platform.settings[QStringLiteral("PrinterTop")] = QStringLiteral("5");
        const QString printed = dir.filePath(QStringLiteral("printed.pdf"));
        setup.platform.printAnswers.push_back(PrintTargets::pdfOnA4(printed));
        setup.window.mnuFilePrint_Click();
        const QImage fromPrint = rasterise(printed, RasterDpi, error);
        QVERIFY2(!fromPrint.isNull(), qPrintable(error));
        QCOMPARE(fromPrint.size(), fromPdf.size());
        qint64 differing = 0;
        for (int y = 0; y < fromPdf.height(); ++y)
            for (int x = 0; x < fromPdf.width(); ++x)
                differing += !near(fromPdf.pixel(x, y), QColor(fromPrint.pixel(x, y)));
        QVERIFY2(differing < 200, qPrintable(QString::number(differing)));

        // The view: what the screen shows, guide circles inverted over the picture.
        const QString view = dir.filePath(QStringLiteral("view.png"));
        QCOMPARE(runGpctool({QStringLiteral("render"), QStringLiteral("--view"),
                             QStringLiteral("610"), gpc, view}),
                 0);
        const QImage shown = QImage(view).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.size(), QSize(610, 610));
        const QColor inverted(255, 255, 0);
        for (const double radius : {58.0, 20.0}) {
            int hits = 0;
            for (double degrees = 0; degrees < 360; degrees += 5) {
                const QPointF at = onCircle(QPointF(61, 61), radius, degrees) * 5;
                for (int dx = -1; dx <= 1; ++dx)
                    for (int dy = -1; dy <= 1; ++dy)
                        if (near(shown.pixel(int(at.x()) + dx, int(at.y()) + dy), inverted)) {
                            ++hits;
                            dx = dy = 2;
                        }
            }
            QCOMPARE(hits, 72);
        }
        QVERIFY(near(shown.pixel(605, 5), PictureColor)); // the view does not clip to the ring
    }

    // The preview draws the page Print sends: the same offset, the same printable area.
    void previewShowsThePrintedPage() {
        PrintSetup setup(true);
        setup.platform.settings[QStringLiteral("PrinterLeft")] = QStringLiteral("10");
        setup.platform.settings[QStringLiteral("PrinterTop")] = QStringLiteral("5");
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("preview.pdf"));
        setup.platform.previewAnswers.push_back(
            [&](QPrinter& printer, const std::function<void(QPrinter&)>& paint) {
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(pdf);
                printer.setPageMargins(QMarginsF(7, 9, 7, 9), QPageLayout::Millimeter);
                paint(printer);
            });
        setup.window.findChild<QAction*>(QStringLiteral("mnuFilePreview"))->trigger();
        QCOMPARE(setup.platform.previewsShown, 1);
        QVERIFY(errorMessages(setup.platform).isEmpty());
        QString error;
        const QImage page = rasterise(pdf, RasterDpi, error);
        QVERIFY2(!page.isNull(), qPrintable(error));
        const QString problem = pageProblems(page, RasterDpi, QPointF(10, 5), true);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        // An unusable offset stops the preview with Print's message.
        setup.platform.settings[QStringLiteral("PrinterTop")] = QStringLiteral("x");
        setup.window.findChild<QAction*>(QStringLiteral("mnuFilePreview"))->trigger();
        QCOMPARE(setup.platform.previewsShown, 1);
        QVERIFY(errorMessages(setup.platform)
                    .value(0)
                    .text.startsWith(QStringLiteral("印刷できませんでした。\n印刷位置設定の値")));
    }

    void alignmentSheetFromGpctool_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QPointF>("originMm");
        QTest::newRow("PNG, no offset") << "sheet.png" << QStringList() << QPointF(0, 0);
        QTest::newRow("PNG, 10,5")
            << "sheet.png" << QStringList{"--offset", "10,5"} << QPointF(10, 5);
        QTest::newRow("PDF, 3.5,20, A5")
            << "sheet.pdf" << QStringList{"--offset", "3.5,20", "--page", "148x210"}
            << QPointF(3.5, 20);
    }

    void alignmentSheetFromGpctool() {
        QFETCH(QString, file);
        QFETCH(QStringList, options);
        QFETCH(QPointF, originMm);
        QTemporaryDir dir;
        const QString out = dir.filePath(file);
        QString errors;
        QCOMPARE(runGpctool(QStringList{QStringLiteral("alignment")} + options + QStringList{out},
                            &errors),
                 0);
        QString error;
        const QImage page = file.endsWith(QLatin1String(".pdf"))
                                ? rasterise(out, RasterDpi, error)
                                : QImage(out).convertToFormat(QImage::Format_RGB32);
        QVERIFY2(!page.isNull(), qPrintable(error));
        const QString problem = alignmentProblems(page, RasterDpi, originMm);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    // The label alone, as duplication services take it: the ring holds the picture, the hole and
    // the corners are clear; 122 mm at 300 dpi is 1441 pixels.
    void labelPictureExport_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("side");
        QTest::newRow("PNG") << "label.png" << QStringList() << 1441;
        QTest::newRow("PNG 600 dpi") << "label.png" << QStringList{"--dpi", "600"} << 2882;
        QTest::newRow("PDF") << "label.pdf" << QStringList() << 1441;
    }

    void labelPictureExport() {
        QFETCH(QString, file);
        QFETCH(QStringList, options);
        QFETCH(int, side);
        QTemporaryDir dir;
        const QString gpc = dir.filePath(QStringLiteral("label.gpc"));
        QCOMPARE(writeTestLabel(gpc), QString());
        const QString out = dir.filePath(file);
        QCOMPARE(runGpctool(QStringList{QStringLiteral("render"), QStringLiteral("--label")} +
                            options + QStringList{gpc, out}),
                 0);
        const bool pdf = file.endsWith(QLatin1String(".pdf"));
        QString error;
        const QImage image = pdf ? rasterise(out, RasterDpi, error) : QImage(out);
        QVERIFY2(!image.isNull(), qPrintable(error));
        QVERIFY2(pdf ? sameSize(image.size(), QSize(side, side))
                     : image.size() == QSize(side, side),
                 qPrintable(QStringLiteral("%1 x %2").arg(image.width()).arg(image.height())));
        const double scale = image.width() / 122.0;
        const auto at = [&](double x, double y) {
            return image.pixel(int(x * scale), int(y * scale));
        };
        // PNG: transparent where nothing prints; PDF: blank paper.
        const auto clear = [&](QRgb pixel) {
            return pdf ? pixel == qRgb(255, 255, 255) : qAlpha(pixel) == 0;
        };
        for (const QPointF mm : {QPointF(61, 61), QPointF(61 + 17, 61), QPointF(0.5, 121.5),
                                 QPointF(121.5, 0.5), QPointF(121.5, 121.5), QPointF(104.6, 104.6)})
            QVERIFY2(
                clear(at(mm.x(), mm.y())),
                qPrintable(QStringLiteral("(%1, %2) mm is not clear").arg(mm.x()).arg(mm.y())));
        for (const QPointF mm : {QPointF(61 + 19, 61), QPointF(61, 61 + 40), QPointF(61 - 60.5, 61),
                                 QPointF(61 + 40, 61 - 40)})
            QVERIFY2(near(at(mm.x(), mm.y()), PictureColor) && qAlpha(at(mm.x(), mm.y())) == 255,
                     qPrintable(
                         QStringLiteral("(%1, %2) mm is not the picture").arg(mm.x()).arg(mm.y())));
    }

    // A PDF shows exactly the shown part of a picture (the part the page draws is most of it, so
    // it goes in whole, clipped): the red border around the shown part never prints, and the
    // blue and green halves meet at the label's middle.
    void pdfShowsOnlyTheShownPart() {
        QImage image(400, 400, QImage::Format_RGB32);
        image.fill(Qt::red);
        QPainter painter(&image);
        painter.fillRect(20, 20, 180, 360, Qt::blue);
        painter.fillRect(200, 20, 180, 360, Qt::green);
        painter.end();
        const Picture picture = Picture::fromBitmap(image);
        const double mmPerPx = 25.4 / 96;
        LabelDocument document;
        document.BackLeft = document.BackTop = float(20 * mmPerPx);
        document.BackWidth = document.BackHeight = float(360 * mmPerPx);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("label.pdf"));
        QString reason, error;
        QVERIFY2(PageExport::writeLabelPdf(pdf, document, picture, &reason), qPrintable(reason));
        const QImage page = rasterise(pdf, RasterDpi, error);
        QVERIFY2(!page.isNull(), qPrintable(error));
        // The reader may sample the picture's next pixel into a page pixel that the label's edge
        // crosses.
        const int inside = int(122 * pxPerMm(RasterDpi)) - 1;
        for (int y = 1; y < inside; ++y)
            for (int x = 1; x < inside; ++x) {
                const QRgb pixel = page.pixel(x, y);
                QVERIFY2(qRed(pixel) < 140 || qGreen(pixel) > 100 || qBlue(pixel) > 100,
                         qPrintable(QStringLiteral("red at %1, %2").arg(x).arg(y)));
            }
        const auto firstGreen = [&](double rowMm) {
            const int row = int(rowMm * pxPerMm(RasterDpi));
            int x = 0;
            while (x < page.width() && qGreen(page.pixel(x, row)) <= qBlue(page.pixel(x, row)))
                ++x;
            return x / pxPerMm(RasterDpi);
        };
        for (const double rowMm : {10.0, 61 + 30.0, 115.0})
            QVERIFY2(std::abs(firstGreen(rowMm) - 61) < ToleranceMm,
                     qPrintable(QStringLiteral("green from %1 mm").arg(firstGreen(rowMm))));
    }

    // The round trip through a real spooler: tests/scripts/cups_print.sh starts its own cupsd
    // with a PDF queue and runs this with the queue and the folder its PDFs land in.
    void printsThroughACupsQueue() {
        const QString queue = qEnvironmentVariable("GPC_CUPS_QUEUE");
        const QString outputFolder = qEnvironmentVariable("GPC_CUPS_OUTPUT");
        if (queue.isEmpty() || outputFolder.isEmpty())
            QSKIP("runs under tests/scripts/cups_print.sh, which provides the spooler");

        PrintSetup setup(true);
        setup.platform.settings[QStringLiteral("PrinterLeft")] = QStringLiteral("10");
        setup.platform.settings[QStringLiteral("PrinterTop")] = QStringLiteral("5");
        QString chosenPrinter;
        setup.platform.printAnswers.push_back([&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::NativeFormat);
            printer.setPrinterName(queue);
            printer.setPageSize(QPageSize(QPageSize::A4));
            chosenPrinter = printer.printerName();
            return printer.isValid();
        });
        setup.window.mnuFilePrint_Click();
        QCOMPARE(chosenPrinter, queue);
        QVERIFY2(errorMessages(setup.platform).isEmpty(),
                 qPrintable(setup.platform.lastMessageText()));
        QVERIFY2(PrintTargets::queueDrained(queue), "the spooler did not finish the job");

        const QStringList pdfs =
            QDir(outputFolder).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time);
        QVERIFY2(pdfs.size() == 1, qPrintable(QStringLiteral("PDFs from the queue: ") +
                                              pdfs.join(QStringLiteral(", "))));
        QString error;
        const QImage page = rasterise(QDir(outputFolder).filePath(pdfs[0]), RasterDpi, error);
        QVERIFY2(!page.isNull(), qPrintable(error));
        QVERIFY(sameSize(page.size(), QSize(2480, 3508)));
        // Measured from the page's edge: the queue's printer has no hardware margins, so the
        // offset alone places the label, whatever margins the printer object started with.
        const QString problem = pageProblems(page, RasterDpi, QPointF(10, 5), true);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    // The alignment sheet through the spooler lands at the stored offset from the page's edge;
    // the readings taken from it move that offset by the mean of each pair, stored for the queue.
    void alignmentSheetThroughACupsQueue() {
        const QString queue = qEnvironmentVariable("GPC_CUPS_QUEUE");
        const QString outputFolder = qEnvironmentVariable("GPC_CUPS_OUTPUT");
        if (queue.isEmpty() || outputFolder.isEmpty())
            QSKIP("runs under tests/scripts/cups_print.sh, which provides the spooler");
        const QStringList before =
            QDir(outputFolder).entryList({QStringLiteral("*.pdf")}, QDir::Files);

        PrintSetup setup(false);
        setup.platform.settings[QStringLiteral("PrinterLeft")] = QStringLiteral("10");
        setup.platform.settings[QStringLiteral("PrinterTop")] = QStringLiteral("5");
        setup.platform.printAnswers.push_back([&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::NativeFormat);
            printer.setPrinterName(queue);
            printer.setPageSize(QPageSize(QPageSize::A4));
            return printer.isValid();
        });
        setup.platform.modalActions.push_back([](QDialog* dialog) {
            const char* names[] = {"txtReadLeft", "txtReadRight", "txtReadTop", "txtReadBottom"};
            const char* readings[] = {"-61", "59", "-58.5", "61.5"};
            for (int i = 0; i < 4; ++i)
                dialog->findChild<QLineEdit*>(QLatin1String(names[i]))
                    ->setText(QLatin1String(readings[i]));
            dialog->findChild<QPushButton*>(QStringLiteral("cmdOk"))->click();
        });
        setup.window.findChild<QAction*>(QStringLiteral("mnuFileAlignment"))->trigger();
        QVERIFY2(errorMessages(setup.platform).isEmpty(),
                 qPrintable(setup.platform.lastMessageText()));
        // The queue had no offset of its own: it started from the shared one and now has its own.
        const QString own = QStringLiteral("PrinterProfiles/%1/disc/").arg(queue);
        QCOMPARE(setup.platform.settings.value(own + QStringLiteral("Left")), QStringLiteral("9"));
        QCOMPARE(setup.platform.settings.value(own + QStringLiteral("Top")), QStringLiteral("6.5"));
        QCOMPARE(setup.platform.settings.value(QStringLiteral("PrinterLeft")),
                 QStringLiteral("10"));
        QVERIFY2(PrintTargets::queueDrained(queue), "the spooler did not finish the job");

        QStringList pdfs = QDir(outputFolder).entryList({QStringLiteral("*.pdf")}, QDir::Files);
        for (const QString& old : before)
            pdfs.removeAll(old);
        QVERIFY2(pdfs.size() == 1, qPrintable(pdfs.join(QStringLiteral(", "))));
        QString error;
        const QImage page = rasterise(QDir(outputFolder).filePath(pdfs[0]), RasterDpi, error);
        QVERIFY2(!page.isNull(), qPrintable(error));
        const QString problem = alignmentProblems(page, RasterDpi, QPointF(10, 5));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
};

QTEST_MAIN(PrintingTest)
#include "test_printing.moc"
