// Every path that draws the background shows the same picture at the same place, whatever kind of
// picture it is: a small one held decoded, a JPEG large enough to be kept compressed, a metafile.
// The paths: the screen, Print, the preview, the label saved as PNG and as PDF, merge printing,
// and gpctool's page, view and merge. Each draws a picture of coloured cells; the cells' centres
// on the ring are read back from what the path wrote.
#include "document/DiscFrame.h"
#include "document/LabelFileCodec.h"
#include "merge/MergeFill.h"
#include "platform/pictures/PictureLoader.h"
#include "printing/MergePrint.h"
#include "printing/PrintCommands.h"
#include "printing/render/PageExport.h"
#include "shapes/ItemPlacement.h"
#include "support/FakeSurface.h"
#include "support/MetafileBytes.h"
#include "support/PrintTargets.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "view/ScreenView.h"

#include <QBuffer>
#include <QDialog>
#include <QDir>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <functional>

namespace {

enum class Kind { SmallDecoded, LargeJpeg, Metafile };

// The label shows a square of the picture, split into 8 × 8 cells of the colours below; around
// it the picture is grey. Neighbouring cells differ in every way a mistake could show.
constexpr int Cells = 8;
const QRgb Around = qRgb(128, 128, 128);

QRgb cellColour(int column, int row) {
    const int index = (column + 3 * row) % 8;
    return qRgb(index & 1 ? 255 : 0, index & 2 ? 255 : 0, index & 4 ? 255 : 0);
}

struct Layout {
    QSizeF naturalMm;
    QRectF shownMm; // a square
};

// Natural sizes: bitmaps at 96 pixels per inch, the metafile at 1000 units per inch.
Layout layoutOf(Kind kind) {
    switch (kind) {
    case Kind::SmallDecoded: // 400 × 320 pixels
        return {QSizeF(400, 320) * 25.4 / 96, QRectF(10, 8, 70, 70)};
    case Kind::LargeJpeg: // 2600 × 2000 pixels: 5.2 megapixels, kept compressed
        return {QSizeF(2600, 2000) * 25.4 / 96, QRectF(100, 60, 400, 400)};
    case Kind::Metafile: // 4000 × 3200 units
        return {QSizeF(4000, 3200) * 25.4 / 1000, QRectF(10, 6, 70, 70)};
    }
    return {};
}

QImage bitmapOf(const Layout& layout) {
    const double perMm = 96 / 25.4;
    QImage image((layout.naturalMm * perMm).toSize(), QImage::Format_RGB32);
    image.fill(Around);
    QPainter painter(&image);
    const double cell = layout.shownMm.width() / Cells;
    for (int row = 0; row < Cells; ++row)
        for (int column = 0; column < Cells; ++column)
            painter.fillRect(QRectF((layout.shownMm.left() + column * cell) * perMm,
                                    (layout.shownMm.top() + row * cell) * perMm, cell * perMm,
                                    cell * perMm),
                             QColor(cellColour(column, row)));
    return image;
}

QByteArray metafileOf(const Layout& layout) {
    const double perMm = 1000 / 25.4;
    const QSize units = (layout.naturalMm * perMm).toSize();
    WmfBuilder wmf(QRect(QPoint(0, 0), units), 1000, Cells * Cells + 2);
    wmf.record(0x0103, {8})                              // anisotropic mapping
        .record(0x020B, {0, 0})                          // window origin
        .record(0x020C, {units.height(), units.width()}) // window extent
        .pen(5, 0, 0)                                    // no outline
        .select(0)
        .brush(Around)
        .select(1)
        .rect(0x041B, QRect(QPoint(0, 0), units));
    const double cell = layout.shownMm.width() / Cells * perMm;
    for (int row = 0; row < Cells; ++row)
        for (int column = 0; column < Cells; ++column) {
            const int left = int(std::lround(layout.shownMm.left() * perMm + column * cell));
            const int top = int(std::lround(layout.shownMm.top() * perMm + row * cell));
            const int right = int(std::lround(layout.shownMm.left() * perMm + (column + 1) * cell));
            const int bottom = int(std::lround(layout.shownMm.top() * perMm + (row + 1) * cell));
            wmf.brush(cellColour(column, row))
                .select(2 + row * Cells + column)
                .rect(0x041B, QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
        }
    return wmf.build();
}

QByteArray pictureBytes(Kind kind) {
    const Layout layout = layoutOf(kind);
    if (kind == Kind::Metafile)
        return metafileOf(layout);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    bitmapOf(layout).save(&buffer, kind == Kind::LargeJpeg ? "JPEG" : "PNG", 95);
    return bytes;
}

// The placement shows the cells over the label; one text item, filled from the table when
// merged, lies in a corner off the ring.
LabelDocument design(Kind kind) {
    const QRectF shown = layoutOf(kind).shownMm;
    LabelDocument document;
    document.BackLeft = float(shown.left());
    document.BackTop = float(shown.top());
    document.BackWidth = document.BackHeight = float(shown.width());
    TextItem item;
    item.Text = QStringLiteral("{{name}}");
    item.FontName = QStringLiteral("IPAGothic");
    item.Size = 10;
    item.Left = item.Top = 1;
    ItemPlacement::measure(item, RealSizeViewPx);
    document.insertItem(document.itemCount(), item);
    return document;
}

// The cells' centres on the ring, clear of the guide circles, in label millimetres, and their
// colours.
struct Probe {
    QPointF mm;
    QRgb colour;
};
QList<Probe> probes() {
    QList<Probe> result;
    const double cell = LabelSideMm / Cells;
    for (int row = 0; row < Cells; ++row)
        for (int column = 0; column < Cells; ++column) {
            const QPointF centre((column + 0.5) * cell, (row + 0.5) * cell);
            const double radius = std::hypot(centre.x() - DiscFrame::CentreMm.x(),
                                             centre.y() - DiscFrame::CentreMm.y());
            const DiscFrame disc = DiscFrame::disc();
            if (radius > disc.innerGuideRadiusMm + 1 && radius < disc.outerGuideRadiusMm - 1)
                result.append(Probe{centre, cellColour(column, row)});
        }
    return result;
}

// The label square as a path wrote it: the image and where its 0..122 mm lie.
struct Written {
    QImage image;
    double pxPerMm = 1;
    QString error;
};

constexpr int RasterDpi = 50;

QString run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(120000))
        return QStringLiteral("%1 did not finish").arg(program);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("%1 failed: %2")
            .arg(program, QString::fromLocal8Bit(process.readAllStandardError()));
    return QString();
}

// A PDF page's top-left label square (the label lies at the page's corner in every PDF here).
Written rasterised(const QString& pdf, int page) {
    const QString base = pdf + QStringLiteral("-%1").arg(page);
    const int side = int(std::ceil(LabelSideMm * RasterDpi / 25.4));
    const QString error = run(QStringLiteral("pdftoppm"),
                              {QStringLiteral("-r"), QString::number(RasterDpi),
                               QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                               QString::number(page), QStringLiteral("-x"), QStringLiteral("0"),
                               QStringLiteral("-y"), QStringLiteral("0"), QStringLiteral("-W"),
                               QString::number(side), QStringLiteral("-H"), QString::number(side),
                               QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, base});
    return Written{QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32),
                   RasterDpi / 25.4, error};
}

int imageObjects(const QString& pdf) {
    return int(TestFiles::readAll(pdf).count("/Subtype /Image"));
}

// The editor's commands on a label with no window.
struct Editor {
    ScriptedPlatform platform;
    FakeSurface surface;
    OpenLabel label;
    LabelContext context{platform, nullptr, label, surface};
};

const QByteArray Table = "name\n山田\n佐藤\n";

} // namespace

class TestPicturePaths : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyPathShowsThePicture_data();
    void everyPathShowsThePicture();
    void viewExportIsTheEditorsView_data();
    void viewExportIsTheEditorsView();

private:
    // One path: the files it wrote, read back as label squares (one per page).
    using Path = std::function<QList<Written>(Kind, const QDir&)>;
    static QList<std::pair<const char*, Path>> paths();
    QTemporaryDir dir_;
};

void TestPicturePaths::initTestCase() {
    QVERIFY(!qEnvironmentVariableIsEmpty("GPCTOOL"));
    QVERIFY(dir_.isValid());
}

QList<std::pair<const char*, TestPicturePaths::Path>> TestPicturePaths::paths() {
    const auto loaded = [](Kind kind) {
        return PictureLoader::loadBytes(pictureBytes(kind)).picture.value_or(Picture());
    };
    const auto editor = [loaded](Editor& e, Kind kind) {
        e.label.document = design(kind);
        e.label.picture = loaded(kind);
        e.platform.messageAnswers.push_back(MessageAnswer::Yes); // the text off the ring
    };
    // gpctool reads the design from a document.
    const auto document = [](Kind kind, const QDir& dir) {
        const QString path = dir.filePath(QStringLiteral("design.gpc"));
        const LabelFileCodec::EncodeResult bytes =
            LabelFileCodec::encode(design(kind), 0, pictureBytes(kind));
        TestFiles::writeFile(path, *bytes.bytes);
        return path;
    };
    const auto merged = [](const QString& pdf) {
        QList<Written> pages{rasterised(pdf, 1), rasterised(pdf, 2)};
        if (imageObjects(pdf) != 1)
            pages[0].error = QStringLiteral("%1 image objects in the merged PDF, not one")
                                 .arg(imageObjects(pdf));
        return pages;
    };
    return {
        {"screen",
         [loaded](Kind kind, const QDir&) {
             constexpr int Side = 600;
             QImage view(Side, Side, QImage::Format_RGB32);
             ViewCaches caches;
             QPainter painter(&view);
             ScreenView::draw(painter, Side, design(kind), loaded(kind), Qt::white, caches);
             return QList<Written>{{view, Side / LabelSideMm, {}}};
         }},
        {"print",
         [editor](Kind kind, const QDir& dir) {
             Editor e;
             editor(e, kind);
             const QString pdf = dir.filePath(QStringLiteral("printed.pdf"));
             e.platform.printAnswers.push_back(PrintTargets::pdfOnA4(pdf));
             PrintCommands(e.context).mnuFilePrint_Click();
             return QList<Written>{rasterised(pdf, 1)};
         }},
        {"preview",
         [editor](Kind kind, const QDir& dir) {
             Editor e;
             editor(e, kind);
             const QString pdf = dir.filePath(QStringLiteral("preview.pdf"));
             e.platform.previewAnswers.push_back(
                 [&](QPrinter& printer, const std::function<void(QPrinter&)>& paint) {
                     PrintTargets::pdfOnA4(pdf)(printer);
                     paint(printer);
                 });
             PrintCommands(e.context).mnuFilePreview_Click();
             return QList<Written>{rasterised(pdf, 1)};
         }},
        {"label as PNG",
         [editor](Kind kind, const QDir& dir) {
             Editor e;
             editor(e, kind);
             const QString png = dir.filePath(QStringLiteral("label.png"));
             e.platform.fileAnswers.push_back(png);
             PrintCommands(e.context).mnuFileSaveImage_Click();
             return QList<Written>{
                 {QImage(png).convertToFormat(QImage::Format_RGB32), 300 / 25.4, {}}};
         }},
        {"label as PDF",
         [editor](Kind kind, const QDir& dir) {
             Editor e;
             editor(e, kind);
             const QString pdf = dir.filePath(QStringLiteral("label.pdf"));
             e.platform.fileAnswers.push_back(pdf);
             PrintCommands(e.context).mnuFileSaveImage_Click();
             return QList<Written>{rasterised(pdf, 1)};
         }},
        {"merge printing",
         [loaded, merged](Kind kind, const QDir& dir) {
             Editor e;
             e.label.document = design(kind);
             e.label.picture = loaded(kind);
             const QString pdf = dir.filePath(QStringLiteral("merged.pdf"));
             const QString table = dir.filePath(QStringLiteral("t.csv"));
             TestFiles::writeFile(table, Table);
             e.platform.fileAnswers.push_back(table);
             e.platform.messageAnswers.push_back(MessageAnswer::Yes);
             e.platform.modalActions.push_back([](QDialog* dialog) {
                 dialog->findChild<QPushButton*>(QStringLiteral("cmdPrint"))->click();
             });
             e.platform.printAnswers.push_back(PrintTargets::pdfOnA4(pdf));
             MergePrint(e.context).mnuFileMerge_Click();
             return merged(pdf);
         }},
        {"gpctool render",
         [document](Kind kind, const QDir& dir) {
             const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
             Written page{{},
                          1,
                          run(qEnvironmentVariable("GPCTOOL"),
                              {QStringLiteral("render"), document(kind, dir), pdf})};
             return QList<Written>{page.error.isEmpty() ? rasterised(pdf, 1) : page};
         }},
        {"gpctool render --view",
         [document](Kind kind, const QDir& dir) {
             const QString png = dir.filePath(QStringLiteral("view.png"));
             const QString error = run(qEnvironmentVariable("GPCTOOL"),
                                       {QStringLiteral("render"), QStringLiteral("--view"),
                                        QStringLiteral("600"), document(kind, dir), png});
             return QList<Written>{
                 {QImage(png).convertToFormat(QImage::Format_RGB32), 600 / LabelSideMm, error}};
         }},
        {"gpctool merge",
         [document, merged](Kind kind, const QDir& dir) {
             const QString pdf = dir.filePath(QStringLiteral("merged.pdf"));
             const QString table = dir.filePath(QStringLiteral("t.csv"));
             TestFiles::writeFile(table, Table);
             const QString error = run(qEnvironmentVariable("GPCTOOL"),
                                       {QStringLiteral("merge"), document(kind, dir), table, pdf});
             return error.isEmpty() ? merged(pdf) : QList<Written>{{{}, 1, error}};
         }},
    };
}

void TestPicturePaths::everyPathShowsThePicture_data() {
    QTest::addColumn<int>("path");
    QTest::addColumn<Kind>("kind");
    const QList<std::pair<const char*, Path>> all = paths();
    for (int path = 0; path < all.size(); ++path)
        for (const auto& [kind, name] : {std::pair{Kind::SmallDecoded, "small, decoded"},
                                         std::pair{Kind::LargeJpeg, "large JPEG, kept compressed"},
                                         std::pair{Kind::Metafile, "metafile"}})
            QTest::addRow("%s, %s", all[path].first, name) << path << kind;
}

void TestPicturePaths::everyPathShowsThePicture() {
    QFETCH(int, path);
    QFETCH(Kind, kind);
    const QDir dir(dir_.path() + QStringLiteral("/%1-%2").arg(path).arg(int(kind)));
    QVERIFY(QDir().mkpath(dir.path()));
    const QList<Written> written = paths()[path].second(kind, dir);
    QVERIFY(!written.isEmpty());
    for (const Written& label : written) {
        QVERIFY2(label.error.isEmpty(), qPrintable(label.error));
        QVERIFY(!label.image.isNull());
        for (const Probe& probe : probes()) {
            const QPoint at = (probe.mm * label.pxPerMm).toPoint();
            const QRgb shown = label.image.pixel(at);
            const int difference = std::max({std::abs(qRed(shown) - qRed(probe.colour)),
                                             std::abs(qGreen(shown) - qGreen(probe.colour)),
                                             std::abs(qBlue(shown) - qBlue(probe.colour))});
            QVERIFY2(difference <= 48, qPrintable(QStringLiteral("at (%1, %2) mm: %3, not %4")
                                                      .arg(probe.mm.x())
                                                      .arg(probe.mm.y())
                                                      .arg(QColor(shown).name())
                                                      .arg(QColor(probe.colour).name())));
        }
    }
}

// gpctool render --view writes what the editor's screen shows: the same pixels, a photo's
// enlarged into square pixels, from the same decoding of the shown part.
void TestPicturePaths::viewExportIsTheEditorsView_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QSize>("pixels");
    QTest::newRow("small, decoded") << QStringLiteral("PNG") << QSize(400, 320);
    QTest::newRow("large JPEG, kept compressed") << QStringLiteral("JPEG") << QSize(2600, 2000);
}

void TestPicturePaths::viewExportIsTheEditorsView() {
    QFETCH(QString, format);
    QFETCH(QSize, pixels);
    QImage noise(pixels, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, random.generate() | 0xFF000000);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    noise.save(&buffer, qPrintable(format), 95);
    const Picture picture = PictureLoader::loadBytes(bytes).picture.value_or(Picture());
    QCOMPARE(picture.decodedWhole(), format == QLatin1String("PNG"));
    LabelDocument document; // 200 picture pixels over 600 view pixels
    document.BackLeft = 20;
    document.BackTop = 10;
    document.BackWidth = document.BackHeight = float(200 * 25.4 / 96);

    constexpr int Side = 600;
    QImage screen(Side, Side, QImage::Format_RGB32);
    ViewCaches caches;
    {
        QPainter painter(&screen);
        ScreenView::draw(painter, Side, document, picture, Qt::white, caches);
    }
    const QString path = dir_.filePath(QStringLiteral("view-%1.png").arg(format));
    QString reason;
    QVERIFY2(PageExport::writeView(path, document, picture, Side, &reason, nullptr),
             qPrintable(reason));
    QCOMPARE(QImage(path).convertToFormat(QImage::Format_RGB32), screen);
}

QTEST_MAIN(TestPicturePaths)
#include "test_picture_paths.moc"
