// Getting the first disc right: the check for text off the printable ring (by its glyphs), the
// question before printing, gpctool check, the screen's outline, the alignment dialog's
// correction and the label picture export from the editor.
#include "document/LabelFileCodec.h"
#include "mainwindow/frmMain.h"
#include "printing/frmAlign.h"
#include "printing/frmPrint.h"
#include "shapes/ItemFonts.h"
#include "support/ScriptedPlatform.h"
#include "view/DiscRangeCheck.h"
#include "view/LabelRenderer.h"
#include "view/RangeOutlines.h"
#include "view/widgets/LabelView.h"

#include <QAction>
#include <QDir>
#include <QFontMetricsF>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Font = QStringLiteral("DejaVu Sans");
constexpr int Size = 20;

// A 20-point "I" placed so that its ink's top edge is at `inkTopMm`, centred on x = 61: the ink
// is a narrow bar, so its distance from the centre is known to a hundredth of a millimetre.
TextItem barWithInkTopAt(double inkTopMm) {
    QImage device(1, 1, QImage::Format_RGB32);
    device.setDotsPerMeterX(47244);
    device.setDotsPerMeterY(47244);
    const double unitsPerMm = device.logicalDpiY() / 25.4;
    const QFont font = ItemFonts::itemFont(Font, Size * 25.4 / 72 * unitsPerMm, &device);
    const QFontMetricsF metrics(font, &device);
    const QRectF ink = metrics.tightBoundingRect(QStringLiteral("I"));
    TextItem item{QStringLiteral("I"), 0, 0, 0, 0, Size, 0, Font};
    item.Left = float(61 - (ink.left() + ink.width() / 2) / unitsPerMm);
    item.Top = float(inkTopMm - (metrics.ascent() + ink.top()) / unitsPerMm);
    return item;
}

LabelDocument documentWith(const QList<TextItem>& items) {
    LabelDocument document;
    for (const TextItem& item : items)
        document.TextItems.push_back(item);
    return document;
}

// An item whose ink covers the centre hole.
TextItem onTheHub() {
    return TextItem{QStringLiteral("HUB"), 55, 57, 0, 0, 24, 0, Font};
}

struct Run {
    int exitCode = -1;
    QString out;
};

Run gpctool(const QStringList& args) {
    QProcess process;
    process.start(qEnvironmentVariable("GPCTOOL"), args);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput())};
}

int redPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            count += qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60;
        }
    return count;
}

} // namespace

class DiscChecksTest : public QObject {
    Q_OBJECT

private slots:
    void inkAgainstTheGuideCircles_data() {
        QTest::addColumn<TextItem>("item");
        QTest::addColumn<bool>("onHub");
        QTest::addColumn<bool>("onTray");
        // Below the centre the bar's top edge is its nearest ink; above, its farthest.
        QTest::newRow("just inside 20 mm") << barWithInkTopAt(61 + 19.7) << true << false;
        // Its line box starts above the ink and crosses the circle: that does not count.
        QTest::newRow("ink just outside 20 mm, line box across")
            << barWithInkTopAt(61 + 20.3) << false << false;
        QTest::newRow("just inside 58 mm") << barWithInkTopAt(61 - 57.7) << false << false;
        QTest::newRow("just outside 58 mm") << barWithInkTopAt(61 - 58.3) << false << true;
        QTest::newRow("over the centre") << onTheHub() << true << false;
        QTest::newRow("blanks over the centre")
            << TextItem{QStringLiteral("    "), 50, 55, 0, 0, 40, 0, Font} << false << false;
        QTest::newRow("corner") << TextItem{QStringLiteral("x"), 1, 1, 0, 0, 10, 0, Font} << false
                                << true;
    }

    void inkAgainstTheGuideCircles() {
        QFETCH(TextItem, item);
        QFETCH(bool, onHub);
        QFETCH(bool, onTray);
        const DiscRangeCheck::Reach reach = DiscRangeCheck::itemReach(item);
        QCOMPARE(reach.insideInnerMm > 0, onHub);
        QCOMPARE(reach.outsideOuterMm > 0, onTray);
    }

    void printAsksFirst_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<MessageAnswer>("answer");
        QTest::newRow("print, no") << "mnuFilePrint" << MessageAnswer::No;
        QTest::newRow("print, yes") << "mnuFilePrint" << MessageAnswer::Yes;
        QTest::newRow("preview, no") << "mnuFilePreview" << MessageAnswer::No;
        QTest::newRow("preview, yes") << "mnuFilePreview" << MessageAnswer::Yes;
    }

    // No prints nothing: neither the print dialog nor the preview appears.
    void printAsksFirst() {
        QFETCH(QString, command);
        QFETCH(MessageAnswer, answer);
        ScriptedPlatform platform;
        frmMain window(platform);
        window.document() = documentWith({onTheHub()});
        platform.messageAnswers.push_back(answer);
        platform.printAnswers.push_back([](QPrinter&) { return false; });
        platform.previewAnswers.push_back([](QPrinter&, const std::function<void(QPrinter&)>&) {});
        window.findChild<QAction*>(command)->trigger();
        QCOMPARE(platform.messages.size(), 1);
        QCOMPARE(platform.messages[0].text,
                 QStringLiteral("ディスクの印刷範囲からはみ出している文字があります。"
                                "このまま印刷しますか？"));
        QCOMPARE(platform.messages[0].title, QStringLiteral("印刷"));
        QCOMPARE(platform.messages[0].buttons, MessageButtons::YesNo);
        const int shown = platform.printDialogsShown + platform.previewsShown;
        QCOMPARE(shown, answer == MessageAnswer::Yes ? 1 : 0);
    }

    void gpctoolCheck_data() {
        QTest::addColumn<bool>("onHub");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("lines"); // how each line of the output starts
        QTest::newRow("on the ring") << false << QStringList() << 0 << QStringList();
        QTest::newRow("on the hub") << true << QStringList() << 3 << QStringList{"[1] \"HUB\": "};
        QTest::newRow("on the page")
            << false << QStringList{"--offset", "88,175"} << 0 << QStringList();
        QTest::newRow("100 across A4")
            << false << QStringList{"--offset", "100,0"} << 3
            << QStringList{"label square at 100, 0 mm: 12.00 mm past the right edge of the "
                           "210 x 297 mm page"};
        QTest::newRow("999 on a small page, and on the hub")
            << true << QStringList{"--page", "130x140", "--offset=999,-1"} << 3
            << QStringList{"[1] \"HUB\": ",
                           "label square at 999, -1 mm: 1.00 mm past the top edge, 991.00 mm past "
                           "the right edge of the 130 x 140 mm page"};
        QTest::newRow("a page alone: no offset") << false << QStringList{"--page", "120x297"} << 3
                                                 << QStringList{"label square at 0, 0 mm: 2.00 "
                                                                "mm past the right edge of the "
                                                                "120 x 297 mm page"};
        QTest::newRow("no --dpi") << false << QStringList{"--dpi", "300"} << 2 << QStringList();
        QTest::newRow("a bad offset")
            << false << QStringList{"--offset", "x"} << 2 << QStringList();
    }

    // Without page options only the text is checked, as before; with them the label square must
    // lie on the page too. Missing files and usage errors keep their exit status.
    void gpctoolCheck() {
        QFETCH(bool, onHub);
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(QStringList, lines);
        QTemporaryDir dir;
        const TextItem title{QStringLiteral("Title"), 45, 20, 0, 0, 14, 0, Font};
        const LabelDocument document =
            onHub ? documentWith({title, onTheHub()}) : documentWith({title});
        QFile file(dir.filePath(QStringLiteral("label.gpc")));
        const auto encoded = LabelFileCodec::encode(document, 0, QByteArray());
        QVERIFY(encoded.bytes && file.open(QIODevice::WriteOnly) &&
                file.write(*encoded.bytes) == encoded.bytes->size());
        file.close();

        const Run run =
            gpctool(QStringList{QStringLiteral("check")} + options + QStringList{file.fileName()});
        QCOMPARE(run.exitCode, exitCode);
        const QStringList out = run.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(out.size(), lines.size());
        for (int i = 0; i < lines.size(); ++i)
            QVERIFY2(out[i].startsWith(lines[i]), qPrintable(out[i]));
        if (onHub)
            QVERIFY(out[0].contains(QStringLiteral("mm inside the 20 mm circle")));
        if (exitCode == 0) {
            QCOMPARE(gpctool({QStringLiteral("check"), dir.filePath(QStringLiteral("none.gpc"))})
                         .exitCode,
                     1);
            QCOMPARE(gpctool({QStringLiteral("check")}).exitCode, 2);
        }
    }

    // Red on the screen for text off the ring, gone once it is moved back; never on paper.
    void screenOutlinesTextOffTheRing() {
        ScriptedPlatform platform;
        frmMain window(platform);
        window.resize(800, 700);
        window.show();
        window.document() = documentWith({onTheHub()});
        window.RedrawLabel();
        QVERIFY(redPixels(window.picDoc()->image()) > 20);
        window.document().item(0).Top = 20;
        window.RedrawLabel();
        QCOMPARE(redPixels(window.picDoc()->image()), 0);
    }

    // The outline shows on any picture: on a red, white or black one some of it differs from the
    // picture by far.
    void outlineShowsOnAnyPicture_data() {
        QTest::addColumn<QColor>("picture");
        QTest::newRow("red") << QColor(Qt::red);
        QTest::newRow("white") << QColor(Qt::white);
        QTest::newRow("black") << QColor(Qt::black);
    }
    void outlineShowsOnAnyPicture() {
        QFETCH(QColor, picture);
        QImage image(400, 400, QImage::Format_RGB32);
        image.fill(picture);
        const DiscRangeCheck::Finding finding{0, DiscRangeCheck::itemReach(onTheHub())};
        QPainter painter(&image);
        LabelDocument document;
        document.TextItems = {onTheHub()};
        RangeOutlines::draw(painter, Geometry::screen(400), document, {finding});
        painter.end();
        int standingOut = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor p = image.pixelColor(x, y);
                standingOut += std::abs(p.red() - picture.red()) +
                                   std::abs(p.green() - picture.green()) +
                                   std::abs(p.blue() - picture.blue()) >
                               300;
            }
        QVERIFY2(standingOut > 20, qPrintable(QString::number(standingOut)));
    }

    void alignmentCorrection_data() {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QStringList>("readings"); // left, right, top, bottom
        QTest::addColumn<QStringList>("expected"); // stored afterwards, or the message
        const QStringList start{"10", "5"};
        QTest::newRow("disc edge")
            << start << QStringList{"-61", "59", "-58.5", "61.5"} << QStringList{"9", "6.5"};
        QTest::newRow("hole edge, missing keys")
            << QStringList() << QStringList{"-7.5", "8.5", "-8", "7"} << QStringList{"0.5", "-0.5"};
        QTest::newRow("decimals stay short")
            << QStringList{"1.1", "-2"} << QStringList{"-59.8", "60.2", "-60", "60.4"}
            << QStringList{"1.3", "-1.8"};
        QTest::newRow("as an input method types them")
            << start << QStringList{"－５９", "＋６１．５", "\u3000−60 ", " ６０ "}
            << QStringList{"11.25", "5"};
        QTest::newRow("decimal comma")
            << start << QStringList{"-59,9", "60", "-60", "60"}
            << QStringList{
                   "左の目盛りの値「-59,9」の「,9」は読めません。数値だけを入力してください。"};
        QTest::newRow("a letter after it")
            << start << QStringList{"-60", "61x", "-60", "60"}
            << QStringList{
                   "右の目盛りの値「61x」の「x」は読めません。数値だけを入力してください。"};
        QTest::newRow("a blank inside it")
            << start << QStringList{"-60", "60", "-5 9", "60"}
            << QStringList{
                   "上の目盛りの値「-5 9」の「9」は読めません。数値だけを入力してください。"};
        QTest::newRow("an exponent")
            << start << QStringList{"-60", "60", "-60", "6E1"}
            << QStringList{
                   "下の目盛りの値「6E1」の「E1」は読めません。数値だけを入力してください。"};
        QTest::newRow("a full-width letter after it")
            << start << QStringList{"－６０ｍｍ", "60", "-60", "60"}
            << QStringList{"左の目盛りの値「－６０ｍｍ」の「ｍｍ」は読めません。"
                           "数値だけを入力してください。"};
        QTest::newRow("not a number") << start << QStringList{"-60", "abc", "-60", "60"}
                                      << QStringList{"目盛りの値を数値で入力してください。"};
        QTest::newRow("a hexadecimal number is not a reading")
            << start << QStringList{"-60", "&H3D", "-60", "60"}
            << QStringList{"目盛りの値を数値で入力してください。"};
        QTest::newRow("empty") << start << QStringList{"-60", "60", "", "60"}
                               << QStringList{"目盛りの値を数値で入力してください。"};
        QTest::newRow("sign left out")
            << start << QStringList{"60", "61", "-60", "60"}
            << QStringList{"左と上は負の値、右と下は正の値を入力してください。"};
        QTest::newRow("pair swapped")
            << start << QStringList{"-60", "60", "60", "-60"}
            << QStringList{"左と上は負の値、右と下は正の値を入力してください。"};
        QTest::newRow("beyond any page")
            << QStringList{"999", "0"} << QStringList{"-50", "60", "-60", "60"}
            << QStringList{"補正後の印刷位置が -1000～1000 mm の範囲を外れます。"};
    }

    // OK stores what the dialog showed, as the print position dialog writes it, and that dialog
    // reads it back unchanged; a refusal keeps the dialog open and the settings as they were.
    void alignmentCorrection() {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, readings);
        QFETCH(QStringList, expected);
        ScriptedPlatform platform;
        if (!stored.isEmpty()) {
            platform.settings[QStringLiteral("PrinterLeft")] = stored[0];
            platform.settings[QStringLiteral("PrinterTop")] = stored[1];
        }
        const auto before = platform.settings;
        frmAlign dialog(platform, nullptr);
        dialog.show();
        for (int i = 0; i < frmAlign::ReadingCount; ++i)
            dialog.reading(frmAlign::Reading(i))->setText(readings[i]);
        dialog.cmdOk()->click();
        if (expected.size() == 1) {
            QCOMPARE(platform.lastMessageText(), expected[0]);
            QCOMPARE(platform.messages[0].title, QStringLiteral("位置合わせ"));
            QVERIFY(dialog.isVisible());
            QCOMPARE(platform.settings, before);
            return;
        }
        QVERIFY(platform.messages.isEmpty());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(dialog.lblNewOffset()->text().contains(expected[0] + QStringLiteral(" mm")));
        QCOMPARE(platform.settings.value(QStringLiteral("PrinterLeft")), expected[0]);
        QCOMPARE(platform.settings.value(QStringLiteral("PrinterTop")), expected[1]);

        frmPrint print(platform, nullptr);
        QCOMPARE(print.txtLeft()->text(), expected[0]);
        QCOMPARE(print.txtTop()->text(), expected[1]);
        print.cmdOk_Click();
        QCOMPARE(platform.settings.value(QStringLiteral("PrinterLeft")), expected[0]);
        QCOMPARE(platform.settings.value(QStringLiteral("PrinterTop")), expected[1]);
    }

    // A store that refuses the corrected offset is reported as the print position dialog
    // reports it; the dialog stays open, and OK once the store takes it moves the offset once.
    void alignmentOffsetThatCannotBeStored() {
        ScriptedPlatform platform;
        platform.settings[QStringLiteral("PrinterLeft")] = QStringLiteral("10");
        platform.settingsWritable = false;
        frmAlign dialog(platform, nullptr);
        dialog.show();
        const char* readings[] = {"-61", "59", "-60", "60"};
        for (int i = 0; i < frmAlign::ReadingCount; ++i)
            dialog.reading(frmAlign::Reading(i))->setText(QLatin1String(readings[i]));
        dialog.cmdOk()->click();
        QCOMPARE(platform.messages.size(), 1);
        QCOMPARE(platform.messages[0].text, QStringLiteral("印刷位置を保存できませんでした。"));
        QCOMPARE(platform.messages[0].title, QStringLiteral("印刷位置設定"));
        QVERIFY(dialog.isVisible());

        platform.settingsWritable = true;
        dialog.cmdOk()->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(platform.settings.value(QStringLiteral("PrinterLeft")), QStringLiteral("9"));
        QCOMPARE(platform.settings.value(QStringLiteral("PrinterTop")), QStringLiteral("0"));
    }

    void labelPictureFromTheEditor_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("written"); // empty: refused
        QTest::addColumn<int>("side");
        QTest::newRow("600 dpi, suffix added") << "label" << 1 << "label.png" << 2882;
        QTest::newRow("PDF by its suffix") << "label.pdf" << 0 << "label.pdf" << 0;
        QTest::newRow("folder missing") << "missing/label.png" << 0 << "" << 0;
    }

    void labelPictureFromTheEditor() {
        QFETCH(QString, name);
        QFETCH(int, filter);
        QFETCH(QString, written);
        QFETCH(int, side);
        QTemporaryDir dir;
        ScriptedPlatform platform;
        frmMain window(platform);
        window.document() = documentWith({onTheHub()});
        platform.fileAnswers.push_back(dir.filePath(name));
        platform.filterAnswers.push_back(filter);
        window.findChild<QAction*>(QStringLiteral("mnuFileSaveImage"))->trigger();
        const QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        if (written.isEmpty()) {
            QCOMPARE(platform.lastMessageText(), QStringLiteral("画像を保存できませんでした。"));
            QCOMPARE(platform.messages[0].title, QStringLiteral("エラー"));
            QVERIFY(files.isEmpty());
            return;
        }
        QVERIFY(platform.messages.isEmpty());
        QCOMPARE(files, QStringList{written});
        if (side)
            QCOMPARE(QImage(dir.filePath(written)).size(), QSize(side, side));
        else
            QVERIFY(QFile(dir.filePath(written)).size() > 0);
    }
};

QTEST_MAIN(DiscChecksTest)
#include "test_disc_checks.moc"
