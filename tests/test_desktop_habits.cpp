// The habits of a desktop user: shortcuts, the document's name in the title, dropped files, the
// recent documents, the wheel over the label, the hover pointer and Save As's extension.
#include "document/LabelFileStore.h"
#include "mainwindow/RecentFiles.h"
#include "mainwindow/frmMain.h"
#include "platform/QtPlatform.h"
#include "support/ScriptedPlatform.h"
#include "view/BackgroundZoom.h"
#include "view/widgets/LabelView.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString NotALabel = QStringLiteral("Gyroplatecomposer のファイルではありません。");
const QString NoPicture = QStringLiteral("画像を読み込めませんでした。");
const QString SaveFirst = QStringLiteral("ラベルは変更されています。保存しますか？");

TextItem makeItem(float left, float top) {
    TextItem item;
    item.Text = QStringLiteral("ラベル");
    item.FontName = QStringLiteral("IPAGothic");
    item.Size = 20;
    item.Left = left;
    item.Top = top;
    item.Width = 30;
    item.Height = 10;
    return item;
}

// A document with one item, written as Save writes it.
void writeDocument(const QString& path) {
    LabelDocument document;
    document.item(0) = makeItem(10, 20);
    document.TextCount = 1;
    QVERIFY(LabelFileStore::save(path, document, 0, QString()).ok);
}

void writePicture(const QString& path) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QVERIFY(image.save(path, "PNG"));
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QAction* recentEntry(frmMain& window, int index) {
    for (QAction* action : window.findChildren<QAction*>(QStringLiteral("mnuFileRecentItem")))
        if (action->property("Index").toInt() == index)
            return action;
    return nullptr;
}
} // namespace

class DesktopHabitsTest : public QObject {
    Q_OBJECT

private slots:
    void shortcuts_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("index");
        QTest::addColumn<QKeySequence>("keys");
        QTest::newRow("new") << "mnuFileNew" << -1 << QKeySequence(Qt::CTRL | Qt::Key_N);
        QTest::newRow("open") << "mnuFileOpen" << -1 << QKeySequence(Qt::CTRL | Qt::Key_O);
        QTest::newRow("save") << "mnuFileSave" << 0 << QKeySequence(Qt::CTRL | Qt::Key_S);
        QTest::newRow("save as") << "mnuFileSave" << 1
                                 << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
        QTest::newRow("print") << "mnuFilePrint" << -1 << QKeySequence(Qt::CTRL | Qt::Key_P);
        QTest::newRow("quit") << "mnuFileExit" << -1 << QKeySequence(Qt::CTRL | Qt::Key_Q);
    }

    // Each key runs its menu command (and only it) wherever the focus is in the window.
    void shortcuts() {
        QFETCH(QString, action);
        QFETCH(int, index);
        QFETCH(QKeySequence, keys);
        ScriptedPlatform platform;
        frmMain window(platform);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.picDoc()->setFocus();
        QList<QAction*> all = window.findChildren<QAction*>();
        QAction* target = nullptr;
        QList<QSignalSpy*> others;
        for (QAction* candidate : all) {
            if (candidate->objectName() == action &&
                (index < 0 || candidate->property("Index").toInt() == index))
                target = candidate;
            else if (!candidate->shortcut().isEmpty())
                others << new QSignalSpy(candidate, &QAction::triggered);
        }
        QVERIFY(target);
        QCOMPARE(target->shortcut(), keys);
        QSignalSpy triggered(target, &QAction::triggered);
        QTest::keySequence(&window, keys);
        QCOMPARE(triggered.count(), 1);
        for (QSignalSpy* spy : others)
            QCOMPARE(spy->count(), 0);
        qDeleteAll(others);
        // Quitting went through the close path: an unchanged label closes the window.
        QCOMPARE(window.isVisible(), action != QLatin1String("mnuFileExit"));
    }

    // The title names the open document and carries the changed mark while LabelChanged is set.
    void titleFollowsTheDocument() {
        QTemporaryDir dir;
        const QString picture = dir.filePath("back.png");
        writePicture(picture);
        ScriptedPlatform platform;
        frmMain window(platform);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const auto expect = [&](const QString& name, bool changed) {
            QCOMPARE(window.windowTitle(), name + QStringLiteral("[*] - Gyroplatecomposer"));
            QCOMPARE(window.isWindowModified(), changed);
            QCOMPARE(window.document().LabelChanged, changed);
        };
        expect(QStringLiteral("無題"), false);

        platform.fileAnswers.push_back(picture);
        window.findChild<QAction*>("mnuEditBack")->trigger();
        expect(QStringLiteral("無題"), true);

        platform.fileAnswers.push_back(dir.filePath("disc.gpc"));
        QTest::keySequence(&window, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
        expect(QStringLiteral("disc.gpc"), false);

        window.fsbZoom()->setValue(30);
        expect(QStringLiteral("disc.gpc"), true);

        platform.messageAnswers.push_back(MessageAnswer::No);
        window.findChild<QAction*>("mnuFileNew")->trigger();
        expect(QStringLiteral("無題"), false);

        QVERIFY(window.openDocumentFile(dir.filePath("disc.gpc")));
        expect(QStringLiteral("disc.gpc"), false);
        QVERIFY(platform.unexpected.isEmpty());
    }

    void drops_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("changedBefore");
        QTest::addColumn<QString>("opened");     // document path expected afterwards
        QTest::addColumn<QString>("background"); // background path expected afterwards
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("document") << QStringList{"label.gpc"} << false << "label.gpc"
                                  << "" << QStringList{};
        QTest::newRow("document named otherwise")
            << QStringList{"label.dat"} << false << "label.dat"
            << "" << QStringList{};
        QTest::newRow("picture") << QStringList{"back.png"} << false << ""
                                 << "back.png" << QStringList{};
        QTest::newRow("several: the first") << QStringList{"back.png", "label.gpc"} << false << ""
                                            << "back.png" << QStringList{};
        QTest::newRow("text file") << QStringList{"notes.txt"} << false << ""
                                   << "" << QStringList{NoPicture};
        QTest::newRow("damaged document") << QStringList{"broken.gpc"} << false << ""
                                          << "" << QStringList{NotALabel};
        // The save-first question comes first; Cancel ends it.
        QTest::newRow("changed label") << QStringList{"label.gpc"} << true << ""
                                       << "" << QStringList{SaveFirst};
        QTest::newRow("changed label, picture") << QStringList{"back.png"} << true << ""
                                                << "back.png" << QStringList{};
    }

    // Through the real drag and drop events on the window.
    void drops() {
        QFETCH(QStringList, files);
        QFETCH(bool, changedBefore);
        QFETCH(QString, opened);
        QFETCH(QString, background);
        QFETCH(QStringList, messages);
        QTemporaryDir dir;
        writeDocument(dir.filePath("label.gpc"));
        writeDocument(dir.filePath("label.dat"));
        writePicture(dir.filePath("back.png"));
        writeBytes(dir.filePath("notes.txt"), "just some words\n");
        writeBytes(dir.filePath("broken.gpc"), QByteArray(300, 'x'));

        ScriptedPlatform platform;
        platform.messageAnswers.push_back(MessageAnswer::Cancel);
        frmMain window(platform);
        window.resize(600, 500);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.document().LabelChanged = changedBefore;

        QMimeData data;
        QList<QUrl> urls;
        for (const QString& file : files)
            urls << QUrl::fromLocalFile(dir.filePath(file));
        data.setUrls(urls);
        const QPoint at = window.picDoc()->mapTo(&window, QPoint(20, 20));
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&window, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&window, &drop);
        QVERIFY(drop.isAccepted());
        QCoreApplication::processEvents();

        QStringList shown;
        for (const auto& message : platform.messages)
            shown << message.text;
        QCOMPARE(shown, messages);
        QCOMPARE(window.documentDialog().fileName,
                 opened.isEmpty() ? QString() : dir.filePath(opened));
        QCOMPARE(window.backgroundDialog().fileName,
                 background.isEmpty() ? QString() : dir.filePath(background));
        QCOMPARE(window.document().TextCount, opened.isEmpty() ? 0 : 1);
        QCOMPARE(window.backgroundPicture().isEmpty(), background.isEmpty());
        QCOMPARE(window.recentFiles().paths(),
                 opened.isEmpty() ? QStringList() : QStringList{dir.filePath(opened)});
    }

    // What is not a local file is not taken.
    void dropOfTextIsRefused() {
        ScriptedPlatform platform;
        frmMain window(platform);
        QMimeData data;
        data.setText(QStringLiteral("hello"));
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&window, &enter);
        QVERIFY(!enter.isAccepted());
    }

    // Newest first, each path once, at most eight, kept in the settings.
    void recentListOrderAndLength() {
        ScriptedPlatform platform;
        platform.settings.insert("RecentFiles", "not a list");
        RecentFiles recent(platform);
        QVERIFY(recent.paths().isEmpty());
        for (int i = 1; i <= 10; ++i)
            recent.add(QStringLiteral("/labels/%1.gpc").arg(i));
        recent.add(QStringLiteral("/labels/7.gpc"));
        const QStringList expected = {"/labels/7.gpc", "/labels/10.gpc", "/labels/9.gpc",
                                      "/labels/8.gpc", "/labels/6.gpc",  "/labels/5.gpc",
                                      "/labels/4.gpc", "/labels/3.gpc"};
        QCOMPARE(recent.paths(), expected);
        QCOMPARE(RecentFiles(platform).paths(), expected);
        QCOMPARE(RecentFiles::caption(0, "/a&b/x.gpc"), QStringLiteral("&1 /a&&b/x.gpc"));
    }

    // Opened and saved documents join the list; one that has gone is reported and leaves it.
    void recentMenuOpensAndForgets() {
        QTemporaryDir dir;
        const QString kept = dir.filePath("kept.gpc");
        const QString gone = dir.filePath("gone.gpc");
        writeDocument(kept);
        writeDocument(gone);
        ScriptedPlatform platform;
        {
            frmMain first(platform);
            QVERIFY(first.openDocumentFile(gone)); // as from the command line
            platform.fileAnswers.push_back(kept);
            first.mnuFileSave_Click(1);
        }
        QFile::remove(gone);

        frmMain window(platform);
        QCOMPARE(window.recentFiles().paths(), (QStringList{kept, gone}));
        QCOMPARE(recentEntry(window, 0)->text(), QStringLiteral("&1 ") + kept);
        recentEntry(window, 1)->trigger();
        QCOMPARE(platform.lastMessageText(), NotALabel);
        QCOMPARE(window.recentFiles().paths(), QStringList{kept});
        QVERIFY(!recentEntry(window, 1));
        recentEntry(window, 0)->trigger();
        QCOMPARE(window.documentDialog().fileName, kept);
        QCOMPARE(window.document().TextCount, 1);
        QCOMPARE(platform.messages.size(), 1);
    }

    void wheel_data() {
        QTest::addColumn<int>("startStep");
        QTest::addColumn<QList<int>>("deltas");
        QTest::addColumn<bool>("inverted");
        QTest::addColumn<int>("step");
        QTest::newRow("away: larger") << 0 << QList<int>{120} << false << 10;
        QTest::newRow("towards: smaller") << 0 << QList<int>{-120} << false << -10;
        QTest::newRow("two notches at once") << 0 << QList<int>{240} << false << 20;
        QTest::newRow("reversed desktop") << 0 << QList<int>{120} << true << -10;
        QTest::newRow("half notches add up") << 0 << QList<int>{60, 30, 30} << false << 10;
        QTest::newRow("half a notch") << 0 << QList<int>{60} << false << 0;
        QTest::newRow("stops at the end") << 95 << QList<int>{120} << false << 100;
    }

    // The wheel over the label moves the scroll bar, and the zoom follows it.
    void wheel() {
        QFETCH(int, startStep);
        QFETCH(QList<int>, deltas);
        QFETCH(bool, inverted);
        QFETCH(int, step);
        ScriptedPlatform platform;
        frmMain window(platform);
        window.resize(600, 500);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QImage image(300, 300, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        window.setBackgroundPicture(Picture::fromBitmap(image));
        window.setScaleStep(startStep);
        window.document().BackWidth = window.document().BackHeight =
            BackgroundZoom::shownSideMm(startStep);
        window.document().LabelChanged = false;
        LabelView* view = window.picDoc();
        const QPointF at(view->width() / 2.0, view->height() / 2.0);
        for (int delta : deltas) {
            QWheelEvent event(at, view->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                              {}, Qt::NoScrollPhase, inverted);
            QApplication::sendEvent(view, &event);
        }
        QCOMPARE(window.fsbZoom()->value(), step);
        QCOMPARE(window.document().BackWidth, BackgroundZoom::shownSideMm(step));
        QCOMPARE(window.document().LabelChanged, step != startStep);
        QCOMPARE(window.isWindowModified(), step != startStep);
    }

    // Pointing at an item shows the move pointer and starts nothing; a click on empty space
    // afterwards is no drag either.
    void hoverShowsTheMovePointer() {
        ScriptedPlatform platform;
        frmMain window(platform);
        window.resize(600, 500);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        LabelDocument& document = window.document();
        document.item(0) = makeItem(20, 30);
        document.TextCount = 1;
        window.RedrawLabel();
        LabelView* view = window.picDoc();
        const QPoint onItem = view->toPixels(QPointF(30, 35)).toPoint();
        const QPoint empty = view->toPixels(QPointF(80, 90)).toPoint();

        QTest::mouseMove(view, onItem);
        QVERIFY(view->showsHoverPointer());
        QCOMPARE(view->cursor().shape(), Qt::SizeAllCursor);
        QVERIFY(!view->showsMovePointer());
        QCOMPARE(document.SelectedText, -1);
        QTest::mouseMove(view, empty);
        QVERIFY(!view->showsHoverPointer());
        QCOMPARE(view->cursor().shape(), Qt::ArrowCursor);

        QTest::mouseMove(view, onItem);
        QTest::mousePress(view, Qt::LeftButton, {}, empty);
        QTest::mouseRelease(view, Qt::LeftButton, {}, empty);
        QVERIFY(!document.LabelChanged);
        QCOMPARE(document.item(0), makeItem(20, 30));
    }

    void saveAsExtension_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        QTest::newRow("no extension") << "mydisc"
                                      << "mydisc.gpc";
        QTest::newRow("with .gpc") << "mydisc.gpc"
                                   << "mydisc.gpc";
        QTest::newRow("another extension") << "my.disc"
                                           << "my.disc";
    }

    // The real save dialog, shown without waiting on it.
    void saveAsExtension() {
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        QTemporaryDir dir;
        const FileDialogState state{QStringLiteral("Gyroplatecomposer Files|*.gpc"), QString()};
        const std::unique_ptr<QFileDialog> dialog = QtPlatform::saveDialog(nullptr, state);
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->setDirectory(dir.path());
        dialog->show();
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(typed);
        static_cast<QDialog*>(dialog.get())->accept(); // as the Save button does
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(dialog->selectedFiles(), QStringList{dir.filePath(saved)});
    }
};

QTEST_MAIN(DesktopHabitsTest)
#include "test_desktop_habits.moc"
