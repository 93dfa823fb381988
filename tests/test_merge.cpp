// Filling a design from a table: the table reader on awkward files, a merged PDF read back as
// pixels and text, every refusal leaving no output, and the editor's run through the print dialog.
#include "document/LabelFileCodec.h"
#include "mainwindow/frmMain.h"
#include "merge/MergeFill.h"
#include "merge/MergeTable.h"
#include "shapes/ItemFonts.h"
#include "printing/MergePrint.h"
#include "support/FakeSurface.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "view/LabelRenderer.h"

#include <QBuffer>
#include <QDialog>
#include <QDir>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int Dpi = 150;
const QString Font = QStringLiteral("IPAGothic");

QString run(const QString& program, const QStringList& args, int* status = nullptr,
            QString* errors = nullptr) {
    QProcess process;
    process.start(program, args);
    process.waitForFinished(120000);
    if (status)
        *status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    if (errors)
        *errors = QString::fromUtf8(process.readAllStandardError());
    return QString::fromUtf8(process.readAllStandardOutput());
}

using TestFiles::pngBytes;

// A pale picture magnified over the square, a title centred across the label and a numbered line
// at a fixed place.
LabelDocument design() {
    LabelDocument document;
    // Part of the picture shows, as when the user has magnified it.
    document.BackLeft = document.BackTop = 10;
    document.BackWidth = document.BackHeight = 100;
    const auto add = [&](const QString& text, float top, int size) {
        TextItem& item = document.TextItems.emplace_back();
        item.Text = text;
        item.Top = top;
        item.Size = size;
        item.FontName = Font;
        const QSizeF extent = ItemFonts::measureText(item, RealSizeViewPx);
        item.Width = float(extent.width());
        item.Height = float(extent.height());
    };
    add(QStringLiteral("{{ title }}"), 20, 24);
    document.item(0).Left = (LabelSideMm - document.item(0).Width) / 2;
    add(QStringLiteral("No. {{#}} {{name}}"), 92, 14);
    document.item(1).Left = 22;
    return document;
}

QString writeDesign(const QDir& dir) {
    QImage picture(461, 461, QImage::Format_RGB32);
    picture.fill(QColor(255, 255, 190));
    const LabelFileCodec::EncodeResult bytes =
        LabelFileCodec::encode(design(), 0, pngBytes(picture));
    const QString path = dir.filePath(QStringLiteral("design.gpc"));
    QFile file(path);
    if (!bytes.bytes || !file.open(QIODevice::WriteOnly) || file.write(*bytes.bytes) < 0)
        return QString();
    return path;
}

QString writeFile(const QDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

// Left and right edge, in millimetres, of the dark pixels between two heights.
std::pair<double, double> inkSpanMm(const QImage& page, double topMm, double bottomMm) {
    const double pxPerMm = Dpi / 25.4;
    int left = page.width(), right = -1;
    for (int y = int(topMm * pxPerMm); y < int(bottomMm * pxPerMm); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 100) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    return {left / pxPerMm, (right + 1) / pxPerMm};
}

QImage rasterise(const QString& pdf, int page, const QDir& dir) {
    const QString base = dir.filePath(QStringLiteral("page%1").arg(page));
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QString::number(Dpi), QStringLiteral("-f"), QString::number(page),
         QStringLiteral("-l"), QString::number(page), QStringLiteral("-png"),
         QStringLiteral("-singlefile"), pdf, base});
    return QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

int imageObjects(const QString& pdf) {
    QFile file(pdf);
    file.open(QIODevice::ReadOnly);
    return int(file.readAll().count("/Subtype /Image"));
}

const QByteArray ThreeRows = "title,name\r\n"
                             "A,山田\r\n"
                             "\"A much longer title, quoted\",鈴木\r\n"
                             "中くらいの題,佐藤\r\n";

} // namespace

class MergeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(!qEnvironmentVariableIsEmpty("GPCTOOL"));
        QVERIFY(!QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty());
    }

    // Expected rows are written "field|field" and joined by "/"; a refusal as its kind and line.
    void readsAwkwardTables_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("tabs");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("refusal");
        QTest::addColumn<int>("line");
        using K = MergeProblem::Kind;
        const int ok = -1;
        QTest::newRow("quotes, doubled quotes, comma inside")
            << QByteArray("a,b\n\"x, y\",\"say \"\"hi\"\"\"\n") << false
            << QStringLiteral("x, y|say \"hi\"") << ok << 0;
        QTest::newRow("line break inside quotes, CR LF")
            << QByteArray("a,b\r\n\"one\r\ntwo\",2\r\nthree,3\r\n") << false
            << QStringLiteral("one\r\ntwo|2/three|3") << ok << 0;
        QTest::newRow("spaces kept, names trimmed, blank lines skipped")
            << QByteArray(" a , b\n\n x ,y \n\n") << false << QStringLiteral(" x |y ") << ok << 0;
        QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBFtitle\n\xE6\x9B\xB2\n") << false
                                        << QStringLiteral("曲") << ok << 0;
        QTest::newRow("code page 932") << QByteArray("title,name\r\n\x8B\xC8,\x8E\x52\x93\x63\r\n")
                                       << false << QStringLiteral("曲|山田") << ok << 0;
        QTest::newRow("tab separated")
            << QByteArray("a\tb\n1,5\t\"q\"\n") << true << QStringLiteral("1,5|q") << ok << 0;
        QTest::newRow("ragged row after a two-line field")
            << QByteArray("a,b\n\"1\n2\",x\ny\n") << false << QString() << int(K::Ragged) << 4;
        QTest::newRow("stray quote")
            << QByteArray("a\nb\"c\n") << false << QString() << int(K::Malformed) << 2;
        QTest::newRow("unclosed quote")
            << QByteArray("a\nb\n\"c\n") << false << QString() << int(K::Malformed) << 3;
        QTest::newRow("neither encoding")
            << QByteArray("a\n\x80\xFF\n") << false << QString() << int(K::NotText) << 0;
        QTest::newRow("BOM then bytes that are not UTF-8")
            << QByteArray("\xEF\xBB\xBF"
                          "a\n\x8B\xC8\n")
            << false << QString() << int(K::NotText) << 0;
        QTest::newRow("empty") << QByteArray("\r\n") << false << QString() << int(K::NoColumns)
                               << 0;
        QTest::newRow("header only")
            << QByteArray("a,b\r\n") << false << QString() << int(K::NoRows) << 0;
        QTest::newRow("two columns of one name")
            << QByteArray("a, a\n1,2\n") << false << QString() << int(K::DuplicateColumn) << 0;
        QByteArray many = "n\n";
        for (int i = 0; i <= MergeTable::MaxRows; ++i)
            many += QByteArray::number(i) + '\n';
        QTest::newRow("one row too many") << many << false << QString() << int(K::TooManyRows) << 0;
    }
    void readsAwkwardTables() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, tabs);
        QFETCH(QString, expected);
        QFETCH(int, refusal);
        QFETCH(int, line);
        const MergeTable::ReadResult read = MergeTable::parse(
            bytes, tabs ? MergeTable::Separator::Tab : MergeTable::Separator::Comma);
        if (refusal >= 0) {
            QVERIFY(!read.table);
            QCOMPARE(int(read.problem.kind), refusal);
            QCOMPARE(read.problem.line, line);
            return;
        }
        QVERIFY2(read.table, qPrintable(MergeMessages::english(read.problem)));
        QStringList rows;
        for (const QStringList& row : read.table->rows)
            rows << row.join(u'|');
        QCOMPARE(rows.join(u'/'), expected);
        QVERIFY(!read.table->columns.first().contains(u' '));
    }

    void threeRowsToOnePdf() {
        QTemporaryDir dir;
        const QDir folder(dir.path());
        const QString designPath = writeDesign(folder);
        QVERIFY(!designPath.isEmpty());
        const QString table = writeFile(folder, QStringLiteral("t.csv"), ThreeRows);
        const QString pdf = folder.filePath(QStringLiteral("out.pdf"));
        int status = -1;
        QString errors;
        run(qEnvironmentVariable("GPCTOOL"), {QStringLiteral("merge"), designPath, table, pdf},
            &status, &errors);
        QVERIFY2(status == 0, qPrintable(errors));
        QCOMPARE(imageObjects(pdf), 1);

        const QStringList titles = {QStringLiteral("A"),
                                    QStringLiteral("A much longer title, quoted"),
                                    QStringLiteral("中くらいの題")};
        const QStringList names = {QStringLiteral("山田"), QStringLiteral("鈴木"),
                                   QStringLiteral("佐藤")};
        for (int page = 1; page <= 3; ++page) {
            const QString text =
                run(QStringLiteral("pdftotext"),
                    {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                     QString::number(page), pdf, QStringLiteral("-")});
            QVERIFY2(text.contains(titles[page - 1]), qPrintable(text));
            QVERIFY2(text.contains(QStringLiteral("No. %1 %2").arg(page).arg(names[page - 1])),
                     qPrintable(text));
            const QImage image = rasterise(pdf, page, folder);
            QVERIFY(!image.isNull());
            const auto [left, right] = inkSpanMm(image, 21, 29);
            QVERIFY2(std::abs((left + right) / 2 - 61) < 0.6,
                     qPrintable(QStringLiteral("title spans %1..%2 mm").arg(left).arg(right)));
            const auto numbered = inkSpanMm(image, 93, 97);
            QVERIFY2(std::abs(numbered.first - 22) < 0.8,
                     qPrintable(QString::number(numbered.first)));
        }
    }

    // A document per row, ready to open and adjust: the filled texts, the centred title
    // centred for its own width, the picture kept.
    void eachRowItsOwnDocument() {
        QTemporaryDir dir;
        const QDir folder(dir.path());
        const QString designPath = writeDesign(folder);
        const QString table = writeFile(folder, QStringLiteral("t.csv"), ThreeRows);
        int status = -1;
        QString errors;
        run(qEnvironmentVariable("GPCTOOL"),
            {QStringLiteral("merge"), QStringLiteral("--each"), folder.filePath("discs"),
             QStringLiteral("--name"), QStringLiteral("{{#}}-{{name}}.gpc"), designPath, table},
            &status, &errors);
        QVERIFY2(status == 0, qPrintable(errors));
        QFile file(folder.filePath(QStringLiteral("discs/2-鈴木.gpc")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const LabelFileCodec::DecodeResult decoded = LabelFileCodec::decode(file.readAll());
        QVERIFY(decoded.file);
        const TextItem& title = decoded.file->document.item(0);
        QCOMPARE(title.Text, QStringLiteral("A much longer title, quoted"));
        QVERIFY(title.Width > design().item(0).Width);
        QVERIFY(std::abs(title.Left - (LabelSideMm - title.Width) / 2) < 0.01);
        QCOMPARE(decoded.file->document.item(1).Text, QStringLiteral("No. 2 鈴木"));
        QCOMPARE(decoded.file->document.item(1).Left, 22.0f);
        QVERIFY(!decoded.file->picture.isEmpty());
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no output") << QStringList{"d.gpc", "t.csv"};
        QTest::newRow("output not a PDF") << QStringList{"d.gpc", "t.csv", "out.png"};
        QTest::newRow("--name without --each")
            << QStringList{"--name", "x.gpc", "d.gpc", "t.csv", "o.pdf"};
        QTest::newRow("--each with an output")
            << QStringList{"--each", "dir", "d.gpc", "t.csv", "o.pdf"};
        QTest::newRow("documents take no page")
            << QStringList{"--each", "dir", "--page", "130x140", "d.gpc", "t.csv"};
        QTest::newRow("unknown kind of file")
            << QStringList{"--each", "dir", "--name", "{{#}}.jpg", "d.gpc", "t.csv"};
    }
    void usageErrors() {
        QFETCH(QStringList, args);
        int status = -1;
        run(qEnvironmentVariable("GPCTOOL"), QStringList{QStringLiteral("merge")} + args, &status);
        QCOMPARE(status, 2);
    }

    void refusalsLeaveNothing_data() {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QString>("name"); // empty: one PDF; else --each with this pattern
        QTest::addColumn<QString>("reason");
        QTest::newRow("no such column")
            << QByteArray("title,nom\nx,y\n") << QString() << QStringLiteral("no column \"name\"");
        QTest::newRow("character outside code page 932")
            << QByteArray("title,name\nx,y\nx,\xF0\x9F\x98\x80\n") << QString()
            << QStringLiteral("row 2 (line 3), text item 2");
        QTest::newRow("too long with its font")
            << ("title,name\nx,y\nx,y\nz," + QByteArray(100, 'w') + "\n")
            << QStringLiteral("d-{{#}}.gpc") << QStringLiteral("row 3 (line 4), text item 2");
        QTest::newRow("ragged row")
            << QByteArray("title,name\nx,y\nx\n") << QStringLiteral("{{#}}.png")
            << QStringLiteral("row 2 (line 3)");
        QTest::newRow("neither encoding") << QByteArray("title,name\n\x80\xFF,x\n") << QString()
                                          << QStringLiteral("neither UTF-8");
        QTest::newRow("empty") << QByteArray() << QString() << QStringLiteral("empty");
        QTest::newRow("no rows") << QByteArray("title,name\n") << QStringLiteral("{{#}}.pdf")
                                 << QStringLiteral("no rows");
        QByteArray many = "title,name\n";
        for (int i = 0; i <= MergeTable::MaxRows; ++i)
            many += "t,n\n";
        QTest::newRow("over 10,000 rows") << many << QString() << QStringLiteral("more than 10000");
        QTest::newRow("two rows, one file name")
            << QByteArray("title,name\nx,y\nx,z\n") << QStringLiteral("{{title}}.gpc")
            << QStringLiteral("row 2");
        QTest::newRow("file name with a folder")
            << QByteArray("title,name\nx,../y\n") << QStringLiteral("{{name}}.gpc")
            << QStringLiteral("row 1");
        // A memory stick or a shared folder takes both for one file.
        QTest::newRow("file names differing only in case")
            << QByteArray("title,name\nx,Disc\nx,disc\n") << QStringLiteral("{{name}}.gpc")
            << QStringLiteral("row 2: the file name \"disc.gpc\" differs from an earlier row's "
                              "\"Disc.gpc\" only in case");
        QTest::newRow("empty placeholder in the file name")
            << QByteArray("title,name,\nx,y,z\n") << QStringLiteral("{{ }}.pdf")
            << QStringLiteral("--name: the placeholder \"{{}}\" names no column");
    }
    void refusalsLeaveNothing() {
        QFETCH(QByteArray, table);
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QDir folder(dir.path());
        const QString designPath = writeDesign(folder);
        const QString tablePath = writeFile(folder, QStringLiteral("t.csv"), table);
        const QString out = folder.filePath(QStringLiteral("out"));
        QStringList args = {QStringLiteral("merge"), designPath, tablePath};
        if (name.isEmpty())
            args << out + QStringLiteral(".pdf");
        else
            args << QStringLiteral("--each") << out << QStringLiteral("--name") << name;
        int status = -1;
        QString errors;
        run(qEnvironmentVariable("GPCTOOL"), args, &status, &errors);
        QCOMPARE(status, 1);
        QVERIFY2(errors.contains(reason), qPrintable(errors));
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 QStringList({QStringLiteral("design.gpc"), QStringLiteral("t.csv")}));
    }

    void placeholdersNeedAColumn_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("problem"); // empty: fills
        QTest::newRow("a column") << "{{name}} 様" << QString();
        QTest::newRow("the row number") << "No. {{ # }}" << QString();
        QTest::newRow("no name") << "{{}} 様"
                                 << "1 番目の文字「{{}} 様」: 「{{}}」に列名が書かれて"
                                    "いません。";
        QTest::newRow("blanks only")
            << "x{{ 　}}"
            << "1 番目の文字「x{{ 　}}」: 「{{}}」に列名が書かれていません。";
        QTest::newRow("no such column")
            << "{{名前}}"
            << "1 番目の文字「{{名前}}」: 表に「名前」という列がありません。";
    }

    // A table whose first column has no name must not fill "{{}}": no placeholder names it.
    void placeholdersNeedAColumn() {
        QFETCH(QString, text);
        QFETCH(QString, problem);
        const MergeTable::ReadResult read =
            MergeTable::parse(",name\nunnamed,山田\n", MergeTable::Separator::Comma);
        QVERIFY(read.table);
        LabelDocument design;
        design.TextItems = {TextItem{text, 10, 10, 0, 0, 12, 0, Font}};
        const std::optional<MergeProblem> found =
            MergeFill::checkAll(design, *read.table, RealSizeViewPx);
        QCOMPARE(found ? MergeMessages::japanese(*found) : QString(), problem);
    }

    // A printer that stops taking pages halfway: the user learns how many pages went rather
    // than being told that nothing was printed. The disk behind /dev/full takes the first
    // page's bytes no more.
    void aPrinterThatStopsMidwaySaysHowManyWent() {
        QTemporaryDir dir;
        ScriptedPlatform platform;
        OpenLabel label;
        FakeSurface surface;
        MergePrint merge(LabelContext{platform, nullptr, label, surface});
        label.document = design();
        QImage noise(400, 400, QImage::Format_RGB32);
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x)
                noise.setPixel(x, y, qRgb((x * 7919 + y * 104729) % 251, (x * y) % 253, y % 255));
        label.picture = Picture::fromBitmap(noise);

        platform.fileAnswers.push_back(
            writeFile(QDir(dir.path()), QStringLiteral("t.csv"), ThreeRows));
        platform.messageAnswers.push_back(MessageAnswer::Yes); // row 2 runs off the disc
        platform.modalActions.push_back([](QDialog* dialog) { dialog->accept(); });
        platform.printAnswers.push_back([](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QStringLiteral("/dev/full"));
            return true;
        });
        merge.mnuFileMerge_Click();
        QCOMPARE(platform.messages.size(), 2);
        QCOMPARE(platform.messages[1].text,
                 QStringLiteral("印刷できませんでした。\n3 件のうち 1 件をプリンターに送った"
                                "ところで、プリンターが印刷を受け付けなくなりました。"));
        QCOMPARE(platform.messages[1].title, QStringLiteral("エラー"));
        QVERIFY(platform.unexpected.isEmpty());
    }

    // The editor checks every row before anything reaches the print dialog, then prints one
    // page per row on the printer the dialog chose.
    void editorPrintsEveryRow() {
        QTemporaryDir dir;
        const QDir folder(dir.path());
        ScriptedPlatform platform;
        frmMain window(platform);
        window.document() = design();
        QImage picture(461, 461, QImage::Format_RGB32);
        picture.fill(Qt::yellow);
        window.setBackgroundPicture(Picture::fromBitmap(picture));

        platform.fileAnswers.push_back(
            writeFile(folder, QStringLiteral("bad.csv"), "title,name\nx,y\nx,\xE2\x82\xA9\n"));
        window.mnuFileMerge_Click();
        QCOMPARE(platform.printDialogsShown, 0);
        QVERIFY2(platform.lastMessageText().contains(QStringLiteral("2 件目")) &&
                     platform.lastMessageText().contains(QStringLiteral("列「name」")),
                 qPrintable(platform.lastMessageText()));

        // The long title of row 2 runs off the disc: the user is told which row and says go on.
        const QString pdf = folder.filePath(QStringLiteral("printed.pdf"));
        platform.fileAnswers.push_back(writeFile(folder, QStringLiteral("t.csv"), ThreeRows));
        platform.messageAnswers.push_back(MessageAnswer::Yes);
        platform.modalActions.push_back([](QDialog* dialog) {
            dialog->findChild<QPushButton*>(QStringLiteral("cmdPrint"))->click();
        });
        platform.printAnswers.push_back([&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
        window.mnuFileMerge_Click();
        QVERIFY2(platform.lastMessageText().contains(QStringLiteral("\n2 件目\n")),
                 qPrintable(platform.lastMessageText()));
        QVERIFY(platform.unexpected.isEmpty());
        QVERIFY(run(QStringLiteral("pdfinfo"), {pdf}).contains(QRegularExpression("Pages: +3\n")));
        QCOMPARE(imageObjects(pdf), 1);
    }

    // Through a real spooler: tests/scripts/cups_print.sh provides the queue and the folder its
    // PDFs land in.
    void printsThroughACupsQueue() {
        const QString queue = qEnvironmentVariable("GPC_CUPS_QUEUE");
        const QString outputFolder = qEnvironmentVariable("GPC_CUPS_OUTPUT");
        if (queue.isEmpty() || outputFolder.isEmpty())
            QSKIP("runs under tests/scripts/cups_print.sh, which provides the spooler");
        QTemporaryDir dir;
        ScriptedPlatform platform;
        frmMain window(platform);
        window.document() = design();
        const QStringList before = QDir(outputFolder).entryList({QStringLiteral("*.pdf")});
        platform.fileAnswers.push_back(
            writeFile(QDir(dir.path()), QStringLiteral("t.csv"), ThreeRows));
        platform.messageAnswers.push_back(MessageAnswer::Yes); // row 2 runs off the disc
        platform.modalActions.push_back([](QDialog* dialog) { dialog->accept(); });
        platform.printAnswers.push_back([&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::NativeFormat);
            printer.setPrinterName(queue);
            return printer.isValid();
        });
        window.mnuFileMerge_Click();
        QCOMPARE(platform.messages.size(), 1);
        QStringList pdfs;
        for (int wait = 0; wait < 600 && pdfs.isEmpty(); ++wait) {
            QTest::qWait(250);
            pdfs = QDir(outputFolder).entryList({QStringLiteral("*.pdf")});
            for (const QString& old : before)
                pdfs.removeAll(old);
        }
        QCOMPARE(pdfs.size(), 1);
        // The spooler may still be writing the file it has named.
        QString info;
        for (int wait = 0; wait < 120 && !info.contains(QStringLiteral("Pages:")); ++wait) {
            QTest::qWait(250);
            info = run(QStringLiteral("pdfinfo"), {QDir(outputFolder).filePath(pdfs[0])});
        }
        QVERIFY2(info.contains(QRegularExpression("Pages: +3\n")), qPrintable(info));
    }
};

QTEST_MAIN(MergeTest)
#include "test_merge.moc"
