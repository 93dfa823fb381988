// Printing on sheets of round stickers: the built-in sheets as data, the user's own sheet files,
// every medium's page read back from the PDF (each label's picture ring where the sheet puts it,
// with its outer edge and hole), merge filling a sheet from a chosen label, the printer profile per
// printer and medium with its fallback to the shared keys, the scale found from the alignment
// readings, and the commands on a FakeSurface; through a real spooler when
// tests/scripts/cups_print.sh provides one.
#include "printing/MergePrint.h"
#include "printing/PrintCommands.h"
#include "printing/PrinterProfile.h"
#include "printing/SheetPositionsDialog.h"
#include "printing/frmAlign.h"
#include "printing/frmMergePreview.h"
#include "printing/frmPrint.h"
#include "printing/render/PageExport.h"
#include "printing/render/SheetCatalog.h"
#include "support/FakeSurface.h"
#include "support/PdfPages.h"
#include "support/PrintTargets.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <optional>
#include <sys/stat.h>

namespace {

constexpr int Dpi = 200;
constexpr double ToleranceMm = 0.3;
const QString L6015 = QStringLiteral("Avery L6015");

// A blue picture shown whole over the label square, and no text: only the ring prints.
Picture bluePicture() {
    QImage image(240, 240, QImage::Format_RGB32);
    image.fill(QColor(0, 0, 255));
    return Picture::fromBitmap(image);
}

LabelDocument blueDocument() {
    LabelDocument document;
    document.BackWidth = document.BackHeight = float(bluePicture().naturalSizeMm().width());
    return document;
}

bool isPicture(QRgb pixel) {
    return qRed(pixel) < 128 && qBlue(pixel) > 128;
}

// The picture's ring around `nearMm`, found along the row and the column through it: where the
// picture starts (the hole's edge) and ends (the outer edge) on each side. Empty when no picture
// lies within `reachMm`.
struct Ring {
    QPointF centreMm;
    QSizeF outerMm; // radii across and down
    QSizeF holeMm;
};

std::optional<Ring> findRing(const QImage& page, QPointF nearMm, double reachMm) {
    const double pxPerMm = Dpi / 25.4;
    const QPoint start(int(nearMm.x() * pxPerMm), int(nearMm.y() * pxPerMm));
    const int reach = int(reachMm * pxPerMm);
    double edges[4][2]; // left, right, up, down: {hole, outer} in mm along the direction's axis
    const QPoint steps[4] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (int d = 0; d < 4; ++d) {
        const auto pictureAt = [&](int t) {
            const QPoint at = start + steps[d] * t;
            return page.rect().contains(at) && isPicture(page.pixel(at));
        };
        int hole = 0;
        while (hole <= reach && !pictureAt(hole))
            ++hole;
        if (hole > reach)
            return std::nullopt;
        int outer = hole;
        while (outer <= reach + hole && pictureAt(outer))
            ++outer;
        // The boundary between a pixel and the next along the direction.
        const auto boundary = [&](int t) {
            const QPoint pixel = start + steps[d] * t;
            const int along = d < 2 ? pixel.x() : pixel.y();
            const bool backwards = d == 0 || d == 2;
            return (along + (backwards ? 1 : 0)) / pxPerMm;
        };
        edges[d][0] = boundary(hole);
        edges[d][1] = boundary(outer);
    }
    return Ring{QPointF((edges[0][1] + edges[1][1]) / 2, (edges[2][1] + edges[3][1]) / 2),
                QSizeF((edges[1][1] - edges[0][1]) / 2, (edges[3][1] - edges[2][1]) / 2),
                QSizeF((edges[1][0] - edges[0][0]) / 2, (edges[3][0] - edges[2][0]) / 2)};
}

// What is wrong with the ring found against the ring expected; empty when it is where it belongs.
QString ringProblem(const std::optional<Ring>& ring, QPointF centreMm, QSizeF outerMm,
                    QSizeF holeMm) {
    if (!ring)
        return QStringLiteral("no ring near (%1, %2)").arg(centreMm.x()).arg(centreMm.y());
    const auto off = [](double a, double b) { return std::abs(a - b) > ToleranceMm; };
    if (off(ring->centreMm.x(), centreMm.x()) || off(ring->centreMm.y(), centreMm.y()) ||
        off(ring->outerMm.width(), outerMm.width()) ||
        off(ring->outerMm.height(), outerMm.height()) ||
        off(ring->holeMm.width(), holeMm.width()) || off(ring->holeMm.height(), holeMm.height()))
        return QStringLiteral("ring at (%1, %2) radii %3 x %4, hole %5 x %6; expected (%7, %8) "
                              "radii %9 x %10, hole %11 x %12")
            .arg(ring->centreMm.x())
            .arg(ring->centreMm.y())
            .arg(ring->outerMm.width())
            .arg(ring->outerMm.height())
            .arg(ring->holeMm.width())
            .arg(ring->holeMm.height())
            .arg(centreMm.x())
            .arg(centreMm.y())
            .arg(outerMm.width())
            .arg(outerMm.height())
            .arg(holeMm.width())
            .arg(holeMm.height());
    return QString();
}

// The picture ring of every position of `layout` on a rasterised page: present where `printed`
// says (0-based), moved by the offset and scaled about each centre.
QString pageProblems(const QImage& page, const SheetLayout& layout, const std::vector<int>& printed,
                     QPointF offsetMm = QPointF(), QPointF scale = QPointF(1, 1)) {
    const DiscFrame frame = layout.frame();
    const QSizeF outer(frame.ringOuterRadiusMm * scale.x(), frame.ringOuterRadiusMm * scale.y());
    const QSizeF hole(frame.ringInnerRadiusMm * scale.x(), frame.ringInnerRadiusMm * scale.y());
    for (int position = 0; position < layout.positionCount(); ++position) {
        const QPointF centre = layout.centresMm[std::size_t(position)] + offsetMm;
        const std::optional<Ring> ring = findRing(page, centre, outer.width() + 2);
        const bool wanted = std::find(printed.begin(), printed.end(), position) != printed.end();
        if (!wanted && ring)
            return QStringLiteral("label %1 printed, not chosen").arg(position + 1);
        if (wanted)
            if (const QString problem = ringProblem(ring, centre, outer, hole); !problem.isEmpty())
                return QStringLiteral("label %1: %2").arg(position + 1).arg(problem);
    }
    return QString();
}

// 1-based numbers as the user gives them, 0-based positions as the code takes them.
std::vector<int> positionsOf(const QList<int>& numbers) {
    std::vector<int> positions;
    for (const int number : numbers)
        positions.push_back(number - 1);
    return positions;
}

const SheetLayout& medium(const QString& name) {
    const SheetLayout* found = SheetCatalog::installed().find(name);
    if (!found)
        qFatal("no medium %s", qPrintable(name));
    return *found;
}

// One editor's worth of printing commands without a window, on a chosen medium.
struct Commands {
    ScriptedPlatform platform;
    OpenLabel label;
    FakeSurface surface;
    LabelContext context{platform, nullptr, label, surface};
    PrintCommands print{context};
    MergePrint merge{context};
    QTemporaryDir dir;

    explicit Commands(const QString& mediumName) {
        platform.settings[QStringLiteral("Medium")] = mediumName;
        label.document = blueDocument();
        label.picture = bluePicture();
    }

    QString file(const QString& name) const { return dir.filePath(name); }

    // The first page of `pdf`; a failure leaves a null image and says why.
    QImage page(const QString& pdf, int number = 1) {
        QString error;
        const QImage image = PdfPages::rasterise(pdf, number, Dpi, &error);
        if (image.isNull())
            qWarning("%s", qPrintable(error));
        return image;
    }
};

// The positions dialog: ticks `numbers` (1-based) and confirms.
std::function<void(QDialog*)> tick(const QList<int>& numbers, QList<int>* shownTicked = nullptr) {
    return [numbers, shownTicked](QDialog* dialog) {
        auto* positions = qobject_cast<SheetPositionsDialog*>(dialog);
        QVERIFY(positions);
        for (int i = 0; i < int(positions->findChildren<QCheckBox*>().size()); ++i) {
            if (shownTicked && positions->position(i)->isChecked())
                *shownTicked << i + 1;
            positions->position(i)->setChecked(numbers.contains(i + 1));
        }
        positions->cmdOk()->click();
    };
}

// The alignment dialog: types the four readings and confirms.
std::function<void(QDialog*)> read(const QStringList& readings) {
    return [readings](QDialog* dialog) {
        auto* align = qobject_cast<frmAlign*>(dialog);
        QVERIFY(align);
        for (int i = 0; i < frmAlign::ReadingCount; ++i)
            align->reading(frmAlign::Reading(i))->setText(readings[i]);
        align->cmdOk()->click();
    };
}

QString sheetJson(const QString& name, int labels, double diameter = 40, double hole = 10) {
    QStringList centres;
    for (int i = 0; i < labels; ++i)
        centres << QStringLiteral("[%1, %2]").arg(30 + (i % 4) * 50).arg(30 + (i / 4) * 50);
    return QStringLiteral(R"({"name": "%1", "page_mm": [210, 297], "outer_diameter_mm": %2,
                              "hole_diameter_mm": %3, "centres_mm": [%4]})")
        .arg(name)
        .arg(diameter)
        .arg(hole)
        .arg(centres.join(QStringLiteral(", ")));
}

QString l6015Like(const QString& name, const QString& centres,
                  const QString& hole = QStringLiteral("41")) {
    return QStringLiteral(R"({"name": "%1", "page_mm": [210, 297], "outer_diameter_mm": 117,
                              "hole_diameter_mm": %2, "centres_mm": %3})")
        .arg(name, hole, centres);
}

QString pagesOf(const std::vector<std::vector<SheetPage::Slot>>& pages) {
    QStringList texts;
    for (const auto& page : pages) {
        QStringList labels;
        for (const SheetPage::Slot& slot : page)
            labels << QStringLiteral("%1:%2").arg(slot.position + 1).arg(slot.label + 1);
        texts << labels.join(u' ');
    }
    return texts.join(u'|');
}

} // namespace

class SheetsTest : public QObject {
    Q_OBJECT

    QTemporaryDir userData_;

    QString userSheets() const {
        return userData_.filePath(QStringLiteral("Gyroplatecomposer/sheets"));
    }

private slots:
    // The catalogue of this run reads the user's folder once: one sheet of the user's own and
    // one broken file are there before anything asks.
    void initTestCase() {
        qputenv("XDG_DATA_HOME", userData_.path().toUtf8());
        QVERIFY(QDir().mkpath(userSheets()));
        QVERIFY(TestFiles::writeFile(
            userSheets() + QStringLiteral("/mine.json"),
            l6015Like(QStringLiteral("My & sheet"), QStringLiteral("[[105, 79.9], [105, 218.33]]"))
                .toUtf8()));
        QVERIFY(TestFiles::writeFile(userSheets() + QStringLiteral("/broken.json"), "{"));
    }

    // Every built-in sheet as the makers publish it: its labels on its page, none overlapping,
    // the hole smaller than the label; the tray first.
    void builtInSheetsAreSound() {
        const SheetCatalog::Catalog catalog = SheetCatalog::read(QString());
        QVERIFY(catalog.refused.empty());
        QCOMPARE(catalog.media.size(), std::size_t(10));
        QVERIFY(catalog.media.front().isDiscTray());
        for (const SheetLayout& sheet : catalog.media) {
            if (sheet.isDiscTray())
                continue;
            const double r = sheet.outerDiameterMm / 2;
            QVERIFY2(sheet.holeDiameterMm < sheet.outerDiameterMm, qPrintable(sheet.name));
            for (std::size_t i = 0; i < sheet.centresMm.size(); ++i) {
                const QPointF c = sheet.centresMm[i];
                QVERIFY2(c.x() >= r && c.y() >= r && c.x() + r <= sheet.pageMm.width() &&
                             c.y() + r <= sheet.pageMm.height(),
                         qPrintable(sheet.name));
                for (std::size_t j = 0; j < i; ++j)
                    QVERIFY2(QLineF(c, sheet.centresMm[j]).length() >= 2 * r,
                             qPrintable(sheet.name));
            }
        }
    }

    void userSheetFiles_data() {
        QTest::addColumn<QString>("json");
        QTest::addColumn<QString>("problem"); // empty: listed
        const QString two = QStringLiteral("[[105, 79.9], [105, 218.33]]");
        QTest::newRow("a sheet of one's own") << l6015Like("Own", two) << "";
        QTest::newRow("labels touching") << l6015Like("Own", "[[105, 60], [105, 177]]") << "";
        QTest::newRow("twelve labels") << sheetJson("Own", 12) << "";
        QTest::newRow("bad JSON") << QStringLiteral(R"({"name": "Own",)")
                                  << "not JSON (at character 16: unterminated object)";
        QTest::newRow("not an object") << "[1, 2]"
                                       << "not JSON (at character 1: not an object)";
        QTest::newRow("no name") << l6015Like("", two) << "\"name\" is missing or wrong";
        QTest::newRow("a centre as text")
            << l6015Like("Own", "[[\"105\", 79.9]]") << "\"centres_mm\" is missing or wrong";
        QTest::newRow("a label off the page")
            << l6015Like("Own", "[[105, 79.9], [105, 240]]") << "label 2 lies off the page";
        QTest::newRow("labels overlapping")
            << l6015Like("Own", "[[105, 79.9], [105, 150]]") << "labels 1 and 2 overlap";
        QTest::newRow("a hole as large as the label")
            << l6015Like("Own", two, "117") << "the hole is not smaller than the label";
        QTest::newRow("thirteen labels")
            << sheetJson("Own", 13) << "13 labels; a sheet holds at most 12";
        QTest::newRow("no labels") << l6015Like("Own", "[]") << "no label centres";
        QTest::newRow("a label larger than the square")
            << sheetJson("Own", 1, 130, 10)
            << "the outer diameter must be above 0 and at most 122 mm";
        QTest::newRow("a built-in sheet's name")
            << l6015Like("avery l6015", two) << "a sheet named \"avery l6015\" is listed already";
        QTest::newRow("the tray's name")
            << l6015Like("DISC", two) << "a sheet named \"DISC\" is listed already";
        // Reading a FIFO would wait for a writer that never comes.
        QTest::newRow("a FIFO") << "<fifo>"
                                << "cannot read the file (not a plain file)";
    }

    // A file that is not a valid sheet is left out and named with what is wrong; the rest of the
    // list stands.
    void userSheetFiles() {
        QFETCH(QString, json);
        QFETCH(QString, problem);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("sheet.json"));
        if (json == QLatin1String("<fifo>"))
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            QVERIFY(TestFiles::writeFile(path, json.toUtf8()));
        const SheetCatalog::Catalog catalog = SheetCatalog::read(folder.path());
        if (problem.isEmpty()) {
            QVERIFY(catalog.refused.empty());
            QCOMPARE(catalog.media.size(), std::size_t(11));
            QCOMPARE(catalog.media.back().file, path);
            QVERIFY(catalog.find(QStringLiteral("OWN")));
            return;
        }
        QCOMPARE(catalog.media.size(), std::size_t(10));
        QCOMPARE(catalog.refused.size(), std::size_t(1));
        QCOMPARE(catalog.refused[0].file, path);
        QCOMPARE(SheetFile::english(catalog.refused[0].problem), problem);
    }

    // The editor lists the user's sheet after the built-in ones and names the broken file once.
    void theEditorListsTheUsersSheets() {
        Commands commands(SheetLayout::DiscTrayName);
        QMenu file;
        commands.print.addMediumMenu(&file);
        const QList<QAction*> items =
            file.findChild<QMenu*>(QStringLiteral("mnuFileMedium"))->actions();
        QCOMPARE(items.size(), 13); // the tray, nine sheets, one's own, two separators
        QCOMPARE(items[0]->text(), QStringLiteral("ディスク（プリンターのトレイ）"));
        QVERIFY(items[0]->isChecked());
        QVERIFY(items[11]->isSeparator());
        QCOMPARE(items[12]->text(), QStringLiteral("My && sheet（A4）"));
        commands.print.tellRefusedSheets();
        QCOMPARE(commands.platform.messages.size(), 1);
        QCOMPARE(commands.platform.messages[0].title, QStringLiteral("用紙"));
        QVERIFY(commands.platform.messages[0].text.contains(
            userSheets() + QStringLiteral("/broken.json: JSON として読めません")));
    }

    void mediaOnPaper_data() {
        QTest::addColumn<QString>("medium");
        QTest::addColumn<QList<int>>("positions"); // empty: all
        QTest::addColumn<QPointF>("offsetMm");
        QTest::addColumn<QPointF>("scale");
        for (const SheetLayout& layout : SheetCatalog::read(QString()).media)
            QTest::newRow(qPrintable(layout.name))
                << layout.name << QList<int>() << QPointF() << QPointF(1, 1);
        QTest::newRow("Avery L6015, the second label")
            << L6015 << QList<int>{2} << QPointF() << QPointF(1, 1);
        QTest::newRow("Memorex, the first label")
            << "Memorex CD labels" << QList<int>{1} << QPointF() << QPointF(1, 1);
        QTest::newRow("Avery L6015, moved and scaled")
            << L6015 << QList<int>() << QPointF(3, -2) << QPointF(1.01, 0.99);
        QTest::newRow("disc, moved and scaled")
            << "disc" << QList<int>() << QPointF(10, 5) << QPointF(1.02, 0.98);
    }

    // Each chosen label's picture ring lies at its centre, moved by the offset, with the medium's
    // outer and hole radius scaled about the centre; no other label prints.
    void mediaOnPaper() {
        QFETCH(QString, medium);
        QFETCH(QList<int>, positions);
        QFETCH(QPointF, offsetMm);
        QFETCH(QPointF, scale);
        const SheetLayout& layout = ::medium(medium);
        PageExport::Page page;
        page.layout = layout;
        if (!layout.isDiscTray())
            page.sizeMm = layout.pageMm;
        page.leftMm = offsetMm.x();
        page.topMm = offsetMm.y();
        page.scaleX = scale.x();
        page.scaleY = scale.y();
        page.positions = positionsOf(positions);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
        QString reason, error;
        QVERIFY2(PageExport::writePdf(pdf, blueDocument(), bluePicture(), page, &reason),
                 qPrintable(reason));
        const QImage image = PdfPages::rasterise(pdf, 1, Dpi, &error);
        QVERIFY2(!image.isNull(), qPrintable(error));
        const std::vector<int> printed = page.chosenPositions();
        const QString problem = pageProblems(image, layout, printed, offsetMm, scale);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void mergeFill_data() {
        QTest::addColumn<QList<int>>("positions"); // 1-based
        QTest::addColumn<int>("start");            // 1-based
        QTest::addColumn<int>("labels");
        QTest::addColumn<QString>("pages"); // position:label, pages apart by |
        QTest::newRow("the tray, a page each") << QList<int>{1} << 1 << 3 << "1:1|1:2|1:3";
        QTest::newRow("a sheet and a half") << QList<int>{1, 2} << 1 << 3 << "1:1 2:2|1:3";
        QTest::newRow("start at label 2") << QList<int>{1, 2} << 2 << 3 << "2:1|1:2 2:3";
        QTest::newRow("start at label 2, one row") << QList<int>{1, 2} << 2 << 1 << "2:1";
        QTest::newRow("the second label only") << QList<int>{2} << 1 << 2 << "2:1|2:2";
        QTest::newRow("start past the chosen ones") << QList<int>{1} << 2 << 2 << "1:1|1:2";
        QTest::newRow("no rows") << QList<int>{1, 2} << 1 << 0 << "";
    }

    void mergeFill() {
        QFETCH(QList<int>, positions);
        QFETCH(int, start);
        QFETCH(int, labels);
        QFETCH(QString, pages);
        QCOMPARE(pagesOf(SheetPage::fill(positionsOf(positions), start - 1, labels)), pages);
    }

    void profileFallback_data() {
        QTest::addColumn<QStringList>("stored"); // key=value
        QTest::addColumn<QString>("printer");
        QTest::addColumn<QString>("medium");
        QTest::addColumn<QStringList>("texts"); // left, top, scale across, scale down
        const QStringList shared{"PrinterLeft=5", "PrinterTop=-2"};
        const QStringList own{"PrinterProfiles/P/disc/Left=1", "PrinterProfiles/P/disc/ScaleX=101",
                              "PrinterProfiles/P/Avery%20L6015/Top=3"};
        QTest::newRow("nothing stored") << QStringList() << "P"
                                        << "disc" << QStringList{"0", "0", "100", "100"};
        QTest::newRow("the tray without a printer: the shared keys")
            << shared << ""
            << "disc" << QStringList{"5", "-2", "100", "100"};
        QTest::newRow("a printer without its own: the shared keys")
            << shared << "Q"
            << "disc" << QStringList{"5", "-2", "100", "100"};
        QTest::newRow("a printer with its own") << shared + own << "P"
                                                << "disc" << QStringList{"1", "-2", "101", "100"};
        QTest::newRow("another printer keeps the shared ones")
            << shared + own << "Q"
            << "disc" << QStringList{"5", "-2", "100", "100"};
        QTest::newRow("a sheet does not take the tray's offset")
            << shared << "P" << L6015 << QStringList{"0", "0", "100", "100"};
        QTest::newRow("a sheet with its own")
            << shared + own << "P" << L6015 << QStringList{"0", "3", "100", "100"};
    }

    // A printer and medium without a setting of its own prints as before printers had their own:
    // the tray at the offset every printer shared, a sheet at its published places.
    void profileFallback() {
        QFETCH(QStringList, stored);
        QFETCH(QString, printer);
        QFETCH(QString, medium);
        QFETCH(QStringList, texts);
        ScriptedPlatform platform;
        for (const QString& entry : stored)
            platform.settings[entry.section(u'=', 0, 0)] = entry.section(u'=', 1);
        const PrinterProfile::OffsetTexts read =
            PrinterProfile(platform, printer, medium).offsetTexts();
        QCOMPARE((QStringList{read.left, read.top, read.scaleX, read.scaleY}), texts);
    }

    // Writing a printer's setting leaves the shared keys and every other printer as they were;
    // without a printer the tray's setting is still the shared keys.
    void eachPrinterKeepsItsOwn() {
        ScriptedPlatform platform;
        platform.settings[QStringLiteral("PrinterLeft")] = QStringLiteral("5");
        QVERIFY(PrinterProfile(platform, QStringLiteral("P"))
                    .writeOffset({"7", "8", "99", "101"}, nullptr));
        QVERIFY(PrinterProfile(platform, QStringLiteral("Q/R"))
                    .writeOffset({"-1", "", "", ""}, nullptr));
        QVERIFY(PrinterProfile(platform).writeOffset({"", "4", "", ""}, nullptr));
        QCOMPARE(platform.settings,
                 (QMap<QString, QString>{{"PrinterLeft", "5"},
                                         {"PrinterTop", "4"},
                                         {"PrinterProfiles/P/disc/Left", "7"},
                                         {"PrinterProfiles/P/disc/Top", "8"},
                                         {"PrinterProfiles/P/disc/ScaleX", "99"},
                                         {"PrinterProfiles/P/disc/ScaleY", "101"},
                                         {"PrinterProfiles/Q%2FR/disc/Left", "-1"}}));
        QCOMPARE(PrinterProfile(platform, QStringLiteral("Q/R")).offsetTexts().top,
                 QStringLiteral("4"));
    }

    void readingsToScale_data() {
        QTest::addColumn<double>("diameter");
        QTest::addColumn<QString>("storedScale");
        QTest::addColumn<QStringList>("readings"); // left, right, top, bottom
        QTest::addColumn<QPointF>("scale");        // percent; (0, 0): none offered
        QTest::addColumn<bool>("ticked");
        QTest::newRow("disc at true size")
            << 120.0 << "100" << QStringList{"-60", "60", "-60", "60"} << QPointF(100, 100)
            << false;
        QTest::newRow("disc printed 1 % too large across")
            << 120.0 << "100" << QStringList{"-59.4", "59.4", "-60", "60"} << QPointF(99, 100)
            << true;
        QTest::newRow("sticker printed 1 % too small down")
            << 117.0 << "100" << QStringList{"-58.5", "58.5", "-59.085", "59.085"}
            << QPointF(100, 101) << true;
        QTest::newRow("off centre, true size")
            << 117.0 << "100" << QStringList{"-57.5", "59.5", "-59.5", "57.5"} << QPointF(100, 100)
            << false;
        QTest::newRow("0.15 %: reading error")
            << 120.0 << "100" << QStringList{"-60.09", "60.09", "-60", "60"} << QPointF(100.15, 100)
            << false;
        QTest::newRow("0.25 %: corrected")
            << 120.0 << "100" << QStringList{"-60.15", "60.15", "-60", "60"} << QPointF(100.25, 100)
            << true;
        QTest::newRow("the stored scale is corrected further")
            << 120.0 << "101" << QStringList{"-59.4", "59.4", "-60", "60"} << QPointF(99.99, 101)
            << true;
        QTest::newRow("read at the hole: no scale")
            << 120.0 << "100" << QStringList{"-7.5", "8.5", "-8", "7"} << QPointF() << false;
    }

    // The printed scale that reads b - a across an edge of true diameter D is off by (b - a) / D;
    // the new scale is the old one times that, offered when it lies in the allowed range and
    // ticked when it corrects more than 0.2 %.
    void readingsToScale() {
        QFETCH(double, diameter);
        QFETCH(QString, storedScale);
        QFETCH(QStringList, readings);
        QFETCH(QPointF, scale);
        QFETCH(bool, ticked);
        const QString typed[] = {readings[0], readings[1], readings[2], readings[3]};
        const frmAlign::Result result =
            frmAlign::correct({"0", "0", storedScale, storedScale}, typed, diameter);
        QVERIFY2(result.offset, qPrintable(result.problem));
        QCOMPARE(result.scale.has_value(), !scale.isNull());
        if (result.scale) {
            QCOMPARE(result.scale->x, scale.x());
            QCOMPARE(result.scale->y, scale.y());
        }
        QCOMPARE(result.scaleWorthTaking, ticked);
    }

    // ファイル → 用紙: the choice is remembered and checked, the view's circles follow it; a
    // store that refuses it is said and the check stays where it was.
    void choosingTheMedium() {
        Commands commands(SheetLayout::DiscTrayName);
        QMenu file;
        commands.print.addMediumMenu(&file);
        QCOMPARE(commands.surface.medium, DiscFrame::disc());
        const auto item = [&](const QString& caption) {
            for (QAction* action : file.findChildren<QAction*>(QStringLiteral("mnuFileMediumItem")))
                if (action->text() == caption)
                    return action;
            qFatal("no item %s", qPrintable(caption));
        };
        item(QStringLiteral("Avery L6015（A4）"))->trigger();
        QCOMPARE(commands.platform.settings.value(QStringLiteral("Medium")), L6015);
        QCOMPARE(commands.surface.medium, DiscFrame::sticker(58.5, 20.5));
        QVERIFY(item(QStringLiteral("Avery L6015（A4）"))->isChecked());
        QVERIFY(!item(QStringLiteral("ディスク（プリンターのトレイ）"))->isChecked());

        commands.platform.settingsWritable = false;
        item(QStringLiteral("Avery 5931（レター）"))->trigger();
        QCOMPARE(commands.platform.lastMessageText(),
                 QStringLiteral("用紙の選択を保存できませんでした。"));
        QVERIFY(item(QStringLiteral("Avery L6015（A4）"))->isChecked());
        QVERIFY(!item(QStringLiteral("Avery 5931（レター）"))->isChecked());
        QCOMPARE(commands.surface.medium, DiscFrame::sticker(58.5, 20.5));

        // A sheet whose file has gone since: nothing checked, and printing says which.
        commands.platform.settings[QStringLiteral("Medium")] = QStringLiteral("Gone sheet");
        commands.platform.settingsWritable = true;
        commands.print.mnuFileMedium_Click(-1);
        commands.print.mnuFilePrint_Click();
        QCOMPARE(commands.platform.printDialogsShown, 0);
        QCOMPARE(commands.platform.lastMessageText(),
                 QStringLiteral("印刷できませんでした。\n用紙「Gone sheet」が見つかりません。"
                                "用紙を選び直してください。"));

        // The print dialog starts on the sheet's own paper, whatever the printer's own is.
        for (const auto& [sheet, paper] :
             {std::pair{L6015, QPageSize::A4}, {QStringLiteral("Avery 5931"), QPageSize::Letter}}) {
            commands.platform.settings[QStringLiteral("Medium")] = sheet;
            QPageSize::PageSizeId offered = QPageSize::Custom;
            commands.platform.modalActions.push_back(tick({1}));
            commands.platform.printAnswers.push_back([&offered](QPrinter& printer) {
                offered = printer.pageLayout().pageSize().id();
                return false;
            });
            commands.print.mnuFilePrint_Click();
            QCOMPARE(offered, paper);
        }
    }

    // Print asks which labels of the sheet to print, every one ticked the first time and then as
    // last time; the page holds the chosen ones. The preview draws the same page.
    void printingChosenLabels() {
        Commands commands(L6015);
        const QString first = commands.file(QStringLiteral("first.pdf"));
        QList<int> shown;
        commands.platform.modalActions.push_back(tick({2}, &shown));
        commands.platform.printAnswers.push_back(PrintTargets::pdfOnA4(first));
        commands.print.mnuFilePrint_Click();
        QCOMPARE(shown, (QList<int>{1, 2}));
        QCOMPARE(pageProblems(commands.page(first), medium(L6015), {1}), QString());

        const QString preview = commands.file(QStringLiteral("preview.pdf"));
        shown.clear();
        commands.platform.modalActions.push_back(tick({1, 2}, &shown));
        commands.platform.previewAnswers.push_back(
            [&](QPrinter& printer, const std::function<void(QPrinter&)>& paint) {
                PrintTargets::pdfOnA4(preview)(printer);
                paint(printer);
            });
        commands.print.mnuFilePreview_Click();
        QCOMPARE(shown, QList<int>{2});
        QCOMPARE(pageProblems(commands.page(preview), medium(L6015), {0, 1}), QString());

        // Cancelled: nothing printed.
        commands.platform.modalActions.push_back([](QDialog* dialog) { dialog->reject(); });
        commands.print.mnuFilePrint_Click();
        QCOMPARE(commands.platform.printDialogsShown, 1);
        QVERIFY(commands.platform.unexpected.isEmpty());
        QVERIFY(commands.platform.messages.isEmpty());
    }

    void mergeFillsASheet_data() {
        QTest::addColumn<int>("start"); // 1-based
        QTest::addColumn<QList<int>>("firstPage");
        QTest::addColumn<QList<int>>("secondPage");
        QTest::newRow("from the first label") << 1 << QList<int>{1, 2} << QList<int>{1};
        QTest::newRow("from the second label") << 2 << QList<int>{2} << QList<int>{1, 2};
    }

    // Three rows fill a sheet and a half, from the label chosen in the preview.
    void mergeFillsASheet() {
        QFETCH(int, start);
        QFETCH(QList<int>, firstPage);
        QFETCH(QList<int>, secondPage);
        Commands commands(L6015);
        const QString table = commands.file(QStringLiteral("rows.csv"));
        QVERIFY(TestFiles::writeFile(table, "name\nA\nB\nC\n"));
        const QString pdf = commands.file(QStringLiteral("merged.pdf"));
        commands.platform.fileAnswers.push_back(table);
        commands.platform.modalActions.push_back([start](QDialog* dialog) {
            auto* preview = qobject_cast<frmMergePreview*>(dialog);
            QVERIFY(preview && preview->cmbStart());
            preview->cmbStart()->setCurrentIndex(start - 1);
            dialog->accept();
        });
        commands.platform.printAnswers.push_back(PrintTargets::pdfOnA4(pdf));
        commands.merge.mnuFileMerge_Click();
        QVERIFY2(commands.platform.messages.isEmpty(),
                 qPrintable(commands.platform.lastMessageText()));
        QCOMPARE(PdfPages::count(pdf), 2);
        QCOMPARE(pageProblems(commands.page(pdf, 1), medium(L6015), positionsOf(firstPage)),
                 QString());
        QCOMPARE(pageProblems(commands.page(pdf, 2), medium(L6015), positionsOf(secondPage)),
                 QString());
    }

    // The alignment sheet on a sheet of stickers; readings that show a 1 % scale error store the
    // corrected scale with the offset, and the next print is drawn at it.
    void alignmentCorrectsTheScale() {
        Commands commands(L6015);
        const QString sheet = commands.file(QStringLiteral("alignment.pdf"));
        commands.platform.printAnswers.push_back(PrintTargets::pdfOnA4(sheet));
        // Printed 1 % too large across, and 1 mm right of the sticker's centre.
        commands.platform.modalActions.push_back(read({"-58.915", "56.915", "-58.5", "58.5"}));
        commands.print.mnuFileAlignment_Click();
        QVERIFY2(commands.platform.messages.isEmpty(),
                 qPrintable(commands.platform.lastMessageText()));
        const QString key = QStringLiteral("PrinterProfiles/()/Avery%20L6015/");
        QCOMPARE(commands.platform.settings.value(key + QStringLiteral("Left")),
                 QStringLiteral("-1"));
        QCOMPARE(commands.platform.settings.value(key + QStringLiteral("Top")),
                 QStringLiteral("0"));
        QCOMPARE(commands.platform.settings.value(key + QStringLiteral("ScaleX")),
                 QStringLiteral("99"));
        QCOMPARE(commands.platform.settings.value(key + QStringLiteral("ScaleY")),
                 QStringLiteral("100"));

        const QString next = commands.file(QStringLiteral("next.pdf"));
        commands.platform.modalActions.push_back(tick({1, 2}));
        commands.platform.printAnswers.push_back(PrintTargets::pdfOnA4(next));
        commands.print.mnuFilePrint_Click();
        QCOMPARE(pageProblems(commands.page(next), medium(L6015), {0, 1}, QPointF(-1, 0),
                              QPointF(0.99, 1)),
                 QString());
    }

    // Through a real spooler with two queues: both labels of a sheet print on the first at its
    // places; the alignment readings correct that queue's scale, and the next print shows it; the
    // second queue keeps an offset of its own.
    void sheetsThroughACupsQueue() {
        const QString first = qEnvironmentVariable("GPC_CUPS_QUEUE");
        const QString second = qEnvironmentVariable("GPC_CUPS_SECOND_QUEUE");
        const QString output = qEnvironmentVariable("GPC_CUPS_OUTPUT");
        const QString secondOutput = qEnvironmentVariable("GPC_CUPS_SECOND_OUTPUT");
        if (first.isEmpty() || second.isEmpty() || output.isEmpty() || secondOutput.isEmpty())
            QSKIP("runs under tests/scripts/cups_print.sh, which provides the spooler");
        Commands commands(L6015);
        const auto toQueue = [](const QString& queue) {
            return [queue](QPrinter& printer) {
                printer.setOutputFormat(QPrinter::NativeFormat);
                printer.setPrinterName(queue);
                printer.setPageSize(QPageSize(QPageSize::A4));
                return printer.isValid();
            };
        };
        // Jobs of the tests before this one may still be on their way to the folders.
        for (const QString& queue : {first, second})
            QVERIFY2(PrintTargets::queueDrained(queue), qPrintable(queue));
        QStringList seen = QDir(output).entryList({QStringLiteral("*.pdf")}) +
                           QDir(secondOutput).entryList({QStringLiteral("*.pdf")});
        // The page of the next PDF the queue writes into `folder`.
        const auto nextPage = [&](const QString& folder) {
            for (int wait = 0; wait < 600; ++wait) {
                QStringList now = QDir(folder).entryList({QStringLiteral("*.pdf")});
                for (const QString& old : std::as_const(seen))
                    now.removeAll(old);
                if (!now.isEmpty()) {
                    seen << now.first();
                    const QString pdf = QDir(folder).filePath(now.first());
                    // The spooler may still be writing the file it has named.
                    for (int ready = 0; ready < 120 && PdfPages::count(pdf) < 1; ++ready)
                        QTest::qWait(250);
                    return commands.page(pdf);
                }
                QTest::qWait(250);
            }
            return QImage();
        };
        const auto printOn = [&](const QString& queue, const QString& folder) {
            commands.platform.modalActions.push_back(tick({1, 2}));
            commands.platform.printAnswers.push_back(toQueue(queue));
            commands.print.mnuFilePrint_Click();
            return nextPage(folder);
        };

        QCOMPARE(pageProblems(printOn(first, output), medium(L6015), {0, 1}), QString());

        commands.platform.printAnswers.push_back(toQueue(first));
        commands.platform.modalActions.push_back(read({"-57.915", "57.915", "-58.5", "58.5"}));
        commands.print.mnuFileAlignment_Click();
        QVERIFY(!nextPage(output).isNull());
        QCOMPARE(pageProblems(printOn(first, output), medium(L6015), {0, 1}, QPointF(),
                              QPointF(0.99, 1)),
                 QString());

        QVERIFY(PrinterProfile(commands.platform, second, L6015)
                    .writeOffset({"4", "-3", "", ""}, nullptr));
        QCOMPARE(pageProblems(printOn(second, secondOutput), medium(L6015), {0, 1}, QPointF(4, -3)),
                 QString());
        QVERIFY2(commands.platform.messages.isEmpty(),
                 qPrintable(commands.platform.lastMessageText()));
    }
};

QTEST_MAIN(SheetsTest)
#include "test_sheets.moc"
