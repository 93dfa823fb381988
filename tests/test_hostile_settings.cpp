// Hostile settings: every key with garbage, empty, huge, negative and non-finite text, a settings
// file that is garbage or cut short, and two processes writing the store at once. The editor
// starts with its window on the screen at a usable size, printing reports a bad offset, and the
// store always reads back whole.
#include "mainwindow/WindowPlacement.h"
#include "mainwindow/frmMain.h"
#include "platform/QtPlatform.h"
#include "support/ScriptedPlatform.h"
#include "view/widgets/LabelView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <cstring>

using Settings = QMap<QString, QString>;

namespace {

const QString PrintFailed = QStringLiteral("印刷できませんでした。\n印刷位置設定の値が数値でないか"
                                           "、-1000～1000 mm の範囲を外れています。");
const QStringList PlacementKeys = {QStringLiteral("MainLeft"), QStringLiteral("MainTop"),
                                   QStringLiteral("MainWidth"), QStringLiteral("MainHeight")};
const QString ScaleRefused =
    QStringLiteral("印刷できませんでした。\n印刷位置設定の倍率が数値でないか"
                   "、90～110 % の範囲を外れています。");
const QStringList OffsetKeys = {QStringLiteral("PrinterLeft"), QStringLiteral("PrinterTop")};
const QStringList ScaleKeys = {QStringLiteral("PrinterScaleX"), QStringLiteral("PrinterScaleY")};
const QStringList AllKeys = PlacementKeys + OffsetKeys;

// Text that reads as no number, or as one no window or page can use.
const QStringList HostileValues = {QStringLiteral("garbage"),
                                   QString(),
                                   QStringLiteral(" "),
                                   QStringLiteral("1e30"),
                                   QStringLiteral("-1e30"),
                                   QStringLiteral("1e39"),
                                   QStringLiteral("-5"),
                                   QStringLiteral("0"),
                                   QStringLiteral("nan"),
                                   QStringLiteral("-nan"),
                                   QStringLiteral("inf"),
                                   QStringLiteral("-inf"),
                                   QStringLiteral("99999999999999999999"),
                                   QStringLiteral("-2147483648"),
                                   QStringLiteral("12abc"),
                                   QStringLiteral("0x10"),
                                   QStringLiteral("１２００"),
                                   QStringLiteral("1,5"),
                                   QStringLiteral("&HFFFFFFFF"),
                                   QString(5000, u'9'),
                                   QString(QChar(0)),
                                   QStringLiteral("\xFF\xFE")};

// Below this the menus and the label cannot be used (300 × 200 pixels at 15 twips per pixel).
constexpr double MinimumWidthTwips = 300 * 15;
constexpr double MinimumHeightTwips = 200 * 15;

QString settingsFile() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                     QStringLiteral("Gyroplatecomposer"), QStringLiteral("Gyroplatecomposer"))
        .fileName();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray junk(qsizetype size, quint32 seed) {
    QByteArray bytes(size, '\0');
    for (char& byte : bytes) {
        seed = seed * 1664525u + 1013904223u;
        byte = char(seed >> 24);
    }
    return bytes;
}

// The placement lies on the screen at a usable size: no larger than the screen, and the top of
// the window (title and menu bar) reachable.
void checkOnScreen(const QRectF& twips, const QRect& screenTwips) {
    const QRectF screen(screenTwips);
    QVERIFY2(
        twips.width() >= MinimumWidthTwips && twips.height() >= MinimumHeightTwips,
        qPrintable(QStringLiteral("too small: %1 x %2").arg(twips.width()).arg(twips.height())));
    QVERIFY2(twips.width() <= screen.width() && twips.height() <= screen.height(),
             qPrintable(QStringLiteral("larger than the screen: %1 x %2")
                            .arg(twips.width())
                            .arg(twips.height())));
    const QRectF topStrip(twips.left(), twips.top(), twips.width(), 30 * 15);
    const QRectF visible = topStrip.intersected(screen);
    QVERIFY2(
        visible.width() >= std::min(twips.width(), 100.0 * 15) && visible.height() >= 15 * 15,
        qPrintable(QStringLiteral("off the screen at %1, %2").arg(twips.left()).arg(twips.top())));
}

// The real desktop's settings store and screen; every dialog answered at once without a window,
// so nothing waits on a modal loop.
class StoreOnlyPlatform : public QtPlatform {
public:
    QStringList messages;
    int printDialogsShown = 0;

    bool showOpenDialog(QWidget*, FileDialogState&) override { return false; }
    bool showSaveDialog(QWidget*, FileDialogState&) override { return false; }
    MessageAnswer showMessage(QWidget*, const QString& text, const QString&,
                              MessageButtons) override {
        messages << text;
        return MessageAnswer::Cancel;
    }
    void showModal(QDialog*) override {}
    bool showPrintDialog(QWidget*, QPrinter&) override {
        ++printDialogsShown;
        return false;
    }
};

// Starts the editor on the real store, prints, closes, and checks that the store then holds a
// readable placement (when it can be written at all).
void startPrintAndClose(bool writable) {
    StoreOnlyPlatform platform;
    {
        frmMain window(platform);
        checkOnScreen(window.requestedPlacementTwips(), platform.screensTwips().first().whole);
        window.show();
        window.mnuFilePrint_Click();
        // Either the stored offset is refused with the message, or the dialog came (and was
        // cancelled, silently).
        QCOMPARE(platform.messages.size() + platform.printDialogsShown, 1);
        if (!platform.messages.isEmpty())
            QCOMPARE(platform.messages, QStringList{PrintFailed});
        QVERIFY(window.close());
    }
    if (!writable)
        return;
    QSettings settings(settingsFile(), QSettings::IniFormat);
    QCOMPARE(settings.status(), QSettings::NoError);
    for (const QString& key : PlacementKeys) {
        float value = 0;
        QVERIFY2(WindowPlacement::parseStoredNumber(
                     settings.value(QStringLiteral("Settings/") + key).toString(), &value),
                 qPrintable(key));
    }
}

// ---- The writer process -------------------------------------------------------------------

// A value that tells which writer wrote it, in which round, for which key.
QString stamped(int writer, int round, int key) {
    return QString::number(writer * 1000000 + round * 10 + key);
}

bool stampValid(const QString& text, int rounds) {
    bool ok = false;
    const int value = text.toInt(&ok);
    const int writer = value / 1000000, round = value / 10 % 100000, key = value % 10;
    return ok && (writer == 1 || writer == 2) && round < rounds && key < AllKeys.size();
}

// Writes every key `rounds` times through its own QtPlatform, reading all of them back after
// each write: another process may be writing at the same moment, but no read ever sees a key
// missing or a value cut.
int runWriter(int writer, int rounds) {
    QtPlatform platform;
    for (int round = 0; round < rounds; ++round) {
        for (int key = 0; key < AllKeys.size(); ++key) {
            platform.writeSetting(AllKeys[key], stamped(writer, round, key));
            for (int seen = 0; seen <= (round == 0 ? key : AllKeys.size() - 1); ++seen) {
                if (!stampValid(platform.readSetting(AllKeys[seen], QString()), rounds)) {
                    std::fprintf(stderr, "writer %d read a bad %s\n", writer,
                                 qPrintable(AllKeys[seen]));
                    return 1;
                }
            }
        }
    }
    return 0;
}

constexpr int WriterRounds = 60;

} // namespace

class HostileSettingsTest : public QObject {
    Q_OBJECT

private slots:
    // One key at a time, then all of them at once, with every hostile value.
    void placementStaysOnTheScreen_data() {
        QTest::addColumn<Settings>("settings");
        for (const QString& key : PlacementKeys) {
            for (int i = 0; i < HostileValues.size(); ++i)
                QTest::addRow("%s #%d", qPrintable(key), i) << Settings{{key, HostileValues[i]}};
        }
        for (int i = 0; i < HostileValues.size(); ++i) {
            Settings all;
            for (const QString& key : PlacementKeys)
                all[key] = HostileValues[i];
            QTest::addRow("all keys #%d", i) << all;
        }
        // Numbers that read well but put the window off the screen or make it useless.
        const QList<std::array<const char*, 4>> placements = {
            {"300000", "576", "13824", "10368"},  {"768", "-300000", "13824", "10368"},
            {"15300", "11400", "13824", "10368"}, {"-13800", "576", "13824", "10368"},
            {"768", "576", "46080", "34560"},     {"768", "576", "16000", "10368"},
            {"768", "576", "13824", "12000"},     {"768", "576", "150", "10368"},
            {"768", "576", "13824", "15"},        {"-1e30", "1e30", "-1e30", "1e30"}};
        for (const auto& values : placements) {
            Settings settings;
            for (int k = 0; k < 4; ++k)
                settings[PlacementKeys[k]] = QLatin1String(values[k]);
            QTest::addRow("%s %s %s %s", values[0], values[1], values[2], values[3]) << settings;
        }
    }

    void placementStaysOnTheScreen() {
        QFETCH(Settings, settings);
        ScriptedPlatform platform;
        platform.settings = settings;
        frmMain window(platform);
        const QRect screen = platform.screens.first().whole;
        checkOnScreen(window.requestedPlacementTwips(), screen);
        window.show();
        const QRect onScreen(screen.topLeft() / 15, screen.size() / 15);
        QVERIFY(onScreen.intersects(window.frameGeometry()));
        QVERIFY(window.width() >= 300 && window.height() >= 200);
        QVERIFY(!window.picDoc()->size().isEmpty());
    }

    void printingReportsABadOffset_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        for (const QString& key : OffsetKeys + ScaleKeys) {
            const bool scale = ScaleKeys.contains(key);
            for (const QString& value : HostileValues) {
                // Offsets that are numbers within a metre print (-5 and 0 among them).
                if (!scale && (value == QLatin1String("-5") || value == QLatin1String("0")))
                    continue;
                QTest::addRow("%s %s", qPrintable(key), qPrintable(value.left(20)))
                    << key << value << (scale ? ScaleRefused : PrintFailed);
            }
            const QStringList outside =
                scale ? QStringList{"89.9", "110.01"} : QStringList{"1000.5", "-1001"};
            for (const QString& value : outside)
                QTest::addRow("%s %s", qPrintable(key), qPrintable(value))
                    << key << value << (scale ? ScaleRefused : PrintFailed);
        }
        // A medium no longer listed is named; a blank one is the tray, and prints.
        for (const QString& value : HostileValues)
            if (!value.trimmed().isEmpty())
                QTest::addRow("Medium %s", qPrintable(value.left(20)))
                    << QStringLiteral("Medium") << value
                    << QStringLiteral("印刷できませんでした。\n用紙「%1」が見つかりません。"
                                      "用紙を選び直してください。")
                           .arg(value);
    }

    void printingReportsABadOffset() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, message);
        ScriptedPlatform platform;
        platform.settings[key] = value;
        frmMain window(platform);
        window.mnuFilePrint_Click();
        QCOMPARE(platform.printDialogsShown, 0);
        QCOMPARE(platform.messages.size(), 1);
        QCOMPARE(platform.messages[0].text, message);
        QCOMPARE(platform.messages[0].title, QStringLiteral("エラー"));
        QCOMPARE(platform.settings.value(key), value);
    }

    // Odd but usable offsets print: the page simply lies where they put it, after a question
    // when that is partly off the printable area.
    void printingTakesAnOddButUsableOffset_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("offPage");
        for (const char* value : {"0", " 12.5 ", "&H10", "-0", "1e-50"})
            QTest::newRow(value) << QString::fromLatin1(value) << false;
        for (const char* value : {"-5", "1000", "-1000", "1e2"})
            QTest::newRow(value) << QString::fromLatin1(value) << true;
    }

    void printingTakesAnOddButUsableOffset() {
        QFETCH(QString, value);
        QFETCH(bool, offPage);
        QTemporaryDir folder;
        const QString pdf = folder.filePath(QStringLiteral("label.pdf"));
        ScriptedPlatform platform;
        platform.settings[QStringLiteral("PrinterLeft")] = value;
        platform.settings[QStringLiteral("PrinterTop")] = value;
        platform.printAnswers.push_back([pdf](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
        platform.messageAnswers.push_back(MessageAnswer::Yes);
        frmMain window(platform);
        window.mnuFilePrint_Click();
        QCOMPARE(platform.printDialogsShown, 1);
        QCOMPARE(platform.messages.size(), offPage ? 1 : 0);
        if (offPage)
            QVERIFY(platform.messages[0].text.startsWith(
                QStringLiteral("ラベルの一部が用紙の印刷範囲から外れています。")));
        QVERIFY(QFileInfo(pdf).size() > 0);
    }

    // ---- The real settings file ---------------------------------------------------------

    void settingsFileThatIsGarbage_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("junk") << junk(4096, 1);
        QTest::newRow("junk with a section") << "[Settings]\n" + junk(4096, 2);
        QTest::newRow("one long line") << "[Settings]\nMainLeft=" + QByteArray(1 << 20, '7');
        QTest::newRow("no equals signs") << QByteArray("[Settings]\nMainLeft\nMainTop\n\n\n");
        QTest::newRow("not UTF-8") << QByteArray("[Settings]\nMainLeft=\xFF\xFE\x80\nMain\xC3=1\n");
        QTest::newRow("quotes left open") << QByteArray("[Settings]\nMainLeft=\"1500\nMainTop=\"");
        QTest::newRow("escapes") << QByteArray(
            "[Settings]\nMainLeft=\\x\\u\\\nMainTop=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x1)\n");
        QTest::newRow("hostile numbers") << QByteArray("[Settings]\nMainLeft=nan\nMainTop=-inf\n"
                                                       "MainWidth=1e39\nMainHeight=-5\n"
                                                       "PrinterLeft=garbage\nPrinterTop=1e30\n");
        QTest::newRow("cut in a header") << QByteArray("[Sett");
        QTest::newRow("cut in a value") << QByteArray("[Settings]\nMainLeft=1500\nMainTop=15");
        QTest::newRow("cut in a key") << QByteArray("[Settings]\nMainLeft=1500\nMainWi");
    }

    void settingsFileThatIsGarbage() {
        QFETCH(QByteArray, content);
        QVERIFY(writeAll(settingsFile(), content));
        startPrintAndClose(true);
        QVERIFY(QFile::remove(settingsFile()));
    }

    // A value cut short is still a number where it was cut; it is used if it fits the screen.
    void settingsFileCutShortKeepsWhatWasWhole() {
        QVERIFY(writeAll(settingsFile(), "[Settings]\nMainLeft=1500\nMainTop=600\nMainWid"));
        StoreOnlyPlatform platform;
        frmMain window(platform);
        QCOMPARE(window.requestedPlacementTwips().topLeft(), QPointF(1500, 600));
        QVERIFY(QFile::remove(settingsFile()));
    }

    void settingsPathThatIsAFolder() {
        QVERIFY(QDir().mkpath(settingsFile()));
        startPrintAndClose(false);
        QVERIFY(QDir(settingsFile()).removeRecursively());
    }

    // ---- Two editors --------------------------------------------------------------------

    // Each call opens the store afresh, so neither sees a stale copy of what the other wrote.
    void twoPlatformsInOneProcessWriteInTurn() {
        QtPlatform first, second;
        for (int round = 0; round < 20; ++round) {
            first.writeSetting(QStringLiteral("MainLeft"), QString::number(round));
            second.writeSetting(QStringLiteral("MainTop"), QString::number(-round));
            QCOMPARE(second.readSetting(QStringLiteral("MainLeft"), {}), QString::number(round));
            QCOMPARE(first.readSetting(QStringLiteral("MainTop"), {}), QString::number(-round));
        }
        QVERIFY(QFile::remove(settingsFile()));
    }

    void twoProcessesWriteAtOnce() {
        QProcess writers[2];
        for (int i = 0; i < 2; ++i) {
            writers[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
            writers[i].start(QCoreApplication::applicationFilePath(),
                             {QStringLiteral("--write-settings"), QString::number(i + 1),
                              QString::number(WriterRounds)});
        }
        for (QProcess& writer : writers) {
            QVERIFY(writer.waitForFinished(240000));
            QCOMPARE(writer.exitStatus(), QProcess::NormalExit);
            QCOMPARE(writer.exitCode(), 0);
        }
        QSettings settings(settingsFile(), QSettings::IniFormat);
        QCOMPARE(settings.status(), QSettings::NoError);
        for (const QString& key : AllKeys)
            QVERIFY2(stampValid(settings.value(QStringLiteral("Settings/") + key).toString(),
                                WriterRounds),
                     qPrintable(key));
        // Each key's last value is from its writer's last round.
        for (int key = 0; key < AllKeys.size(); ++key) {
            const int value = settings.value(QStringLiteral("Settings/") + AllKeys[key]).toInt();
            QCOMPARE(value / 10 % 100000, WriterRounds - 1);
        }
        QVERIFY(QFile::remove(settingsFile()));
    }
};

int main(int argc, char** argv) {
    // A settings folder of this run's own beneath the one given, so that the garbage written here
    // reaches no other test running at the same time.
    const QString base = qEnvironmentVariable("XDG_CONFIG_HOME", QDir::tempPath());
    const bool writer = argc == 4 && std::strcmp(argv[1], "--write-settings") == 0;
    if (writer) {
        QCoreApplication app(argc, argv);
        return runWriter(std::atoi(argv[2]), std::atoi(argv[3]));
    }
    const QString own =
        base + QStringLiteral("/hostile-settings-%1").arg(QCoreApplication::applicationPid());
    QDir().mkpath(own);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(own));

    int result = 0;
    {
        QApplication app(argc, argv);
        app.setAttribute(Qt::AA_Use96Dpi, true);
        HostileSettingsTest test;
        result = QTest::qExec(&test, argc, argv);
    }
    QDir(own).removeRecursively();
    return result;
}

#include "test_hostile_settings.moc"
