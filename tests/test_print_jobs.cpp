// What every print job shares, driven through the commands on a FakeSurface: the question before
// a label that would leave the printer's printable area is sent, asked by Print, the preview, the
// alignment sheet and merge alike; and the printer chosen last, through a real spooler when
// tests/scripts/cups_print.sh provides one.
#include "printing/MergePrint.h"
#include "printing/PrintCommands.h"
#include "support/FakeSurface.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

#include <QDialog>
#include <QFileInfo>
#include <QPageLayout>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString OffPage =
    QStringLiteral("ラベルの一部が用紙の印刷範囲から外れています。このまま印刷しますか？");

enum class Command { Print, Preview, Alignment, Merge };

// One editor's worth of commands without a window.
struct Commands {
    ScriptedPlatform platform;
    OpenLabel label;
    FakeSurface surface;
    LabelContext context{platform, nullptr, label, surface};
    PrintCommands print{context};
    MergePrint merge{context};
    QTemporaryDir dir;

    // Queues what the command's dialogs answer: every print dialog chooses `printer` (and keeps
    // it), or sends the job to `pdf` on A4 when no printer is named; a preview paints there;
    // merge's table has one row and its preview is accepted; the alignment dialog is cancelled.
    void answerDialogs(Command command, const QString& pdf, const QString& printer = QString()) {
        const auto choose = [=](QPrinter& target) {
            if (!printer.isEmpty()) {
                target.setPrinterName(printer);
                return target.isValid();
            }
            target.setOutputFormat(QPrinter::PdfFormat);
            target.setOutputFileName(pdf);
            target.setPageSize(QPageSize(QPageSize::A4));
            target.setPageMargins(QMarginsF(), QPageLayout::Millimeter);
            return true;
        };
        switch (command) {
        case Command::Print:
            platform.printAnswers.push_back(choose);
            break;
        case Command::Preview:
            platform.previewAnswers.push_back(
                [=](QPrinter& target, const std::function<void(QPrinter&)>& paint) {
                    choose(target);
                    paint(target);
                });
            break;
        case Command::Alignment:
            platform.printAnswers.push_back(choose);
            platform.modalActions.push_back([](QDialog* dialog) { dialog->reject(); });
            break;
        case Command::Merge:
            platform.fileAnswers.push_back(table());
            platform.modalActions.push_back([](QDialog* dialog) { dialog->accept(); });
            platform.printAnswers.push_back(choose);
            break;
        }
    }

    void run(Command command) {
        switch (command) {
        case Command::Print:
            print.mnuFilePrint_Click();
            break;
        case Command::Preview:
            print.mnuFilePreview_Click();
            break;
        case Command::Alignment:
            print.mnuFileAlignment_Click();
            break;
        case Command::Merge:
            merge.mnuFileMerge_Click();
            break;
        }
    }

    QString table() {
        const QString path = dir.filePath(QStringLiteral("table.csv"));
        TestFiles::writeFile(path, "name\nA\n");
        return path;
    }

    QStringList questions() const {
        QStringList asked;
        for (const ScriptedPlatform::Message& message : platform.messages)
            if (message.buttons == MessageButtons::YesNo)
                asked << message.title + u':' + message.text;
        return asked;
    }
};

} // namespace

Q_DECLARE_METATYPE(Command)

class PrintJobsTest : public QObject {
    Q_OBJECT

private slots:
    void offPageQuestion_data() {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("top");
        QTest::addColumn<bool>("asks");
        QTest::addColumn<MessageAnswer>("answer");
        const std::pair<Command, const char*> commands[] = {{Command::Print, "print"},
                                                            {Command::Preview, "preview"},
                                                            {Command::Alignment, "alignment"},
                                                            {Command::Merge, "merge"}};
        for (const auto& [command, name] : commands) {
            const auto row = [&](const char* what, const char* left, const char* top, bool asks,
                                 MessageAnswer answer) {
                QTest::addRow("%s, %s", name, what) << command << QString::fromLatin1(left)
                                                    << QString::fromLatin1(top) << asks << answer;
            };
            row("inside", "10", "10", false, MessageAnswer::No);
            row("999 across, no", "999", "0", true, MessageAnswer::No);
            row("100 across A4, yes", "100", "0", true, MessageAnswer::Yes);
            row("half a millimetre above, no", "0", "-0.5", true, MessageAnswer::No);
            row("past the bottom, yes", "0", "176", true, MessageAnswer::Yes);
            // The preview asks on the page it starts with, which need not be A4.
            if (command != Command::Preview)
                row("touching the A4 page's right and bottom edges", "88", "175", false,
                    MessageAnswer::No);
        }
    }

    // The label square must lie wholly inside the printable area of the printer the job goes
    // to; otherwise the user is asked, and No sends nothing.
    void offPageQuestion() {
        QFETCH(Command, command);
        QFETCH(QString, left);
        QFETCH(QString, top);
        QFETCH(bool, asks);
        QFETCH(MessageAnswer, answer);
        Commands commands;
        commands.platform.settings[QStringLiteral("PrinterLeft")] = left;
        commands.platform.settings[QStringLiteral("PrinterTop")] = top;
        const QString pdf = commands.dir.filePath(QStringLiteral("page.pdf"));
        commands.answerDialogs(command, pdf);
        if (asks)
            commands.platform.messageAnswers.push_back(answer);

        commands.run(command);

        const QString title =
            command == Command::Merge ? QStringLiteral("差し込み印刷") : QStringLiteral("印刷");
        QCOMPARE(commands.questions(), asks ? QStringList{title + u':' + OffPage} : QStringList());
        const bool sent = !asks || answer == MessageAnswer::Yes;
        QCOMPARE(QFileInfo(pdf).size() > 0, sent);
        QCOMPARE(commands.platform.modalsShown.size(),
                 command == Command::Merge || (command == Command::Alignment && sent) ? 1 : 0);
        QVERIFY(commands.platform.messages.size() == commands.questions().size());
    }

    // Through a real spooler with two queues, the first the default: after a job to the second,
    // every kind of job starts on it, in this run and the next; a remembered printer that has
    // gone gives the default again.
    void thePrinterChosenLastIsRemembered() {
        const QString first = qEnvironmentVariable("GPC_CUPS_QUEUE");
        const QString second = qEnvironmentVariable("GPC_CUPS_SECOND_QUEUE");
        if (first.isEmpty() || second.isEmpty())
            QSKIP("runs under tests/scripts/cups_print.sh, which provides the spooler");

        QMap<QString, QString> settings;
        {
            Commands commands;
            QString offered;
            commands.platform.printAnswers.push_back([&](QPrinter& printer) {
                offered = printer.printerName();
                printer.setPrinterName(second);
                return printer.isValid();
            });
            commands.print.mnuFilePrint_Click();
            QCOMPARE(offered, first);
            QVERIFY2(commands.platform.messages.isEmpty(),
                     qPrintable(commands.platform.lastMessageText()));
            settings = commands.platform.settings;
        }

        // The next run: each command's dialog opens on the second queue.
        Commands commands;
        commands.platform.settings = settings;
        QStringList offered;
        const auto record = [&](QPrinter& printer) {
            offered << printer.printerName();
            return false;
        };
        commands.platform.printAnswers = {record, record, record};
        commands.platform.previewAnswers.push_back(
            [&](QPrinter& printer, const std::function<void(QPrinter&)>&) {
                offered << printer.printerName();
            });
        commands.platform.fileAnswers.push_back(commands.table());
        commands.platform.modalActions.push_back([](QDialog* dialog) { dialog->accept(); });
        for (const Command command :
             {Command::Print, Command::Preview, Command::Alignment, Command::Merge})
            commands.run(command);
        QCOMPARE(offered, QStringList(4, second));

        commands.platform.settings[QStringLiteral("LastPrinter")] = QStringLiteral("gone-printer");
        commands.platform.printAnswers.push_back(record);
        commands.print.mnuFilePrint_Click();
        QCOMPARE(offered.last(), first);
        QVERIFY(commands.platform.unexpected.isEmpty());
    }
};

QTEST_MAIN(PrintJobsTest)
#include "test_print_jobs.moc"
