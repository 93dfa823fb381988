// The habits of a desktop user: shortcuts, the title, dropped files, recent documents, the wheel,
// the hover pointer and Save As's extension.
#include "document/BackgroundScale.h"
#include "document/LabelFileStore.h"
#include "mainwindow/RecentFiles.h"
#include "mainwindow/frmMain.h"
#include "platform/QtPlatform.h"
#include "support/ScriptedPlatform.h"
#include "view/widgets/LabelView.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QtTest>

namespace {
const QString NotALabel = QStringLiteral("Gyroplatecomposer のファイルではありません。");

TextItem makeItem(float left, float top) {
    TextItem item{QStringLiteral("ラベル"), left, top, 30, 10, 20, 0, QStringLiteral("IPAGothic")};
    return item;
}

// Every kind of file the tests drop or open, in a fresh folder.
struct Files {
    QTemporaryDir dir;
    Files() {
        LabelDocument document;
        document.TextItems.resize(std::size_t(1));
        document.item(0) = makeItem(10, 20);
        for (const char* name : {"label.gpc", "label.dat"})
            LabelFileStore::save(path(name), document, 0, QString());
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        picture.save(path("back.png"), "PNG");
        write("notes.txt", "just some words\n");
        write("broken.gpc", QByteArray(300, 'x'));
    }
    QString path(const QString& name) const { return name.isEmpty() ? name : dir.filePath(name); }
    void write(const char* name, const QByteArray& bytes) const {
        QFile file(path(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
};

struct ShownWindow {
    ScriptedPlatform platform;
    frmMain window{platform};
    bool exposed = false;
    ShownWindow() {
        window.resize(600, 500);
        window.show();
        exposed = QTest::qWaitForWindowExposed(&window);
    }
};
} // namespace

class DesktopHabitsTest : public QObject {
    Q_OBJECT

private slots:
    void shortcuts_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("index");
        QTest::addColumn<QKeySequence>("keys");
        QTest::newRow("new") << "mnuFileNew" << -1 << QKeySequence("Ctrl+N");
        QTest::newRow("open") << "mnuFileOpen" << -1 << QKeySequence("Ctrl+O");
        QTest::newRow("save") << "mnuFileSave" << 0 << QKeySequence("Ctrl+S");
        QTest::newRow("save as") << "mnuFileSave" << 1 << QKeySequence("Ctrl+Shift+S");
        QTest::newRow("print") << "mnuFilePrint" << -1 << QKeySequence("Ctrl+P");
        QTest::newRow("quit") << "mnuFileExit" << -1 << QKeySequence("Ctrl+Q");
    }

    // Each key runs its menu command wherever the focus is; quitting closes as 終了 does.
    void shortcuts() {
        QFETCH(QString, action);
        QFETCH(int, index);
        QFETCH(QKeySequence, keys);
        ShownWindow w;
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        w.window.picDoc()->setFocus();
        QAction* target = nullptr;
        for (QAction* candidate : w.window.findChildren<QAction*>(action))
            if (index < 0 || candidate->property("Index").toInt() == index)
                target = candidate;
        QCOMPARE(target->shortcut(), keys);
        QSignalSpy triggered(target, &QAction::triggered);
        QTest::keySequence(&w.window, keys);
        QCOMPARE(triggered.count(), 1);
        QCOMPARE(w.window.isVisible(), action != QLatin1String("mnuFileExit"));
    }

    // The title names the open document and carries the changed mark while LabelChanged is set.
    void titleFollowsTheDocument() {
        Files files;
        ShownWindow w;
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        const auto expect = [&](const QString& name, bool changed) {
            QCOMPARE(w.window.windowTitle(), name + QStringLiteral("[*] - Gyroplatecomposer"));
            QCOMPARE(w.window.isWindowModified(), changed);
        };
        expect(QStringLiteral("無題"), false);
        w.platform.fileAnswers.push_back(files.path("back.png"));
        w.window.findChild<QAction*>("mnuEditBack")->trigger();
        expect(QStringLiteral("無題"), true);
        w.platform.fileAnswers.push_back(files.path("disc.gpc"));
        QTest::keySequence(&w.window, QKeySequence("Ctrl+Shift+S"));
        expect(QStringLiteral("disc.gpc"), false);
        w.window.fsbZoom()->setValue(30);
        expect(QStringLiteral("disc.gpc"), true);
        w.platform.messageAnswers.push_back(MessageAnswer::No);
        QTest::keySequence(&w.window, QKeySequence("Ctrl+N"));
        expect(QStringLiteral("無題"), false);
        QVERIFY(w.window.openDocumentFile(files.path("label.gpc")));
        expect(QStringLiteral("label.gpc"), false);
    }

    void drops_data() {
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("document");   // the document path afterwards
        QTest::addColumn<QString>("background"); // the background path afterwards
        QTest::addColumn<QString>("message");
        const QString noPicture = QStringLiteral("画像を読み込めませんでした。");
        const QStringList label{"label.gpc"}, back{"back.png"};
        QTest::newRow("document") << label << false << "label.gpc"
                                  << ""
                                  << "";
        QTest::newRow("by its bytes") << QStringList{"label.dat"} << false << "label.dat"
                                      << ""
                                      << "";
        QTest::newRow("picture") << back << false << ""
                                 << "back.png"
                                 << "";
        QTest::newRow("the first") << QStringList{"back.png", "label.gpc"} << false << ""
                                   << "back.png"
                                   << "";
        QTest::newRow("text") << QStringList{"notes.txt"} << false << ""
                              << "" << noPicture;
        QTest::newRow("damaged") << QStringList{"broken.gpc"} << false << ""
                                 << "" << NotALabel;
        QTest::newRow("changed: asked first")
            << label << true << ""
            << "" << QStringLiteral("ラベルは変更されています。保存しますか？");
        QTest::newRow("changed: picture") << back << true << ""
                                          << "back.png"
                                          << "";
    }

    // Through the real drag and drop events on the window (the save-first question is cancelled).
    void drops() {
        QFETCH(QStringList, dropped);
        QFETCH(bool, changed);
        QFETCH(QString, document);
        QFETCH(QString, background);
        QFETCH(QString, message);
        Files files;
        ShownWindow w;
        QVERIFY(w.exposed);
        w.platform.messageAnswers.push_back(MessageAnswer::Cancel);
        w.window.document().LabelChanged = changed;
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& name : dropped)
            urls << QUrl::fromLocalFile(files.path(name));
        data.setUrls(urls);
        const QPoint at = w.window.picDoc()->mapTo(&w.window, QPoint(20, 20));
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&w.window, &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&w.window, &drop);
        QVERIFY(enter.isAccepted() && drop.isAccepted());
        QCoreApplication::processEvents();

        QCOMPARE(w.platform.lastMessageText(), message);
        QCOMPARE(w.window.documentDialog().fileName, files.path(document));
        QCOMPARE(w.window.backgroundDialog().fileName, files.path(background));
        QCOMPARE(w.window.document().itemCount(), document.isEmpty() ? 0 : 1);
        QCOMPARE(w.window.recentFiles().paths(),
                 document.isEmpty() ? QStringList() : QStringList{files.path(document)});
    }

    // Newest first, each once, at most eight, kept in the settings; opened and saved documents
    // join it, and one that has gone is reported and leaves it.
    void recentDocuments() {
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
        QCOMPARE(RecentFiles(platform).paths(), expected);

        Files files;
        const QString kept = files.path("kept.gpc"), gone = files.path("label.gpc");
        platform.settings.clear();
        {
            frmMain first(platform);
            QVERIFY(first.openDocumentFile(gone)); // as from the command line
            platform.fileAnswers.push_back(kept);
            first.mnuFileSave_Click(1);
        }
        QFile::remove(gone);
        frmMain window(platform);
        QList<QAction*> entries = window.findChildren<QAction*>("mnuFileRecentItem");
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0]->text(), QStringLiteral("&1 ") + kept);
        entries[1]->trigger();
        QCOMPARE(platform.lastMessageText(),
                 QStringLiteral("ファイルを読み込めませんでした。\n「%1」が見つかりません。"
                                "移動または削除された可能性があります。")
                     .arg(gone));
        QCOMPARE(window.recentFiles().paths(), QStringList{kept});
        QCOMPARE(window.findChildren<QAction*>("mnuFileRecentItem").size(), 1);
    }

    void wheel_data() {
        QTest::addColumn<int>("startStep");
        QTest::addColumn<QList<int>>("deltas");
        QTest::addColumn<bool>("inverted");
        QTest::addColumn<int>("step");
        QTest::newRow("away: larger") << 0 << QList<int>{120} << false << 10;
        QTest::newRow("towards: smaller") << 0 << QList<int>{-240} << false << -20;
        QTest::newRow("reversed desktop") << 0 << QList<int>{120} << true << -10;
        QTest::newRow("half notches add up") << 0 << QList<int>{60, 60} << false << 10;
        QTest::newRow("half a notch") << 0 << QList<int>{60} << false << 0;
        QTest::newRow("stops at the end") << 95 << QList<int>{120} << false << 100;
    }

    // The wheel over the label moves the scroll bar, and the zoom follows it.
    void wheel() {
        QFETCH(int, startStep);
        QFETCH(QList<int>, deltas);
        QFETCH(bool, inverted);
        QFETCH(int, step);
        ShownWindow w;
        QVERIFY(w.exposed);
        QImage image(300, 300, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        w.window.setBackgroundPicture(Picture::fromBitmap(image));
        w.window.setScaleStep(startStep);
        w.window.document().LabelChanged = false;
        LabelView* view = w.window.picDoc();
        const QPointF at(view->width() / 2.0, view->height() / 2.0);
        for (int delta : deltas) {
            QWheelEvent event(at, view->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                              {}, Qt::NoScrollPhase, inverted);
            QApplication::sendEvent(view, &event);
        }
        QCOMPARE(w.window.fsbZoom()->value(), step);
        if (step != startStep)
            QCOMPARE(w.window.document().BackWidth, BackgroundScale::shownSideMm(step));
        QCOMPARE(w.window.isWindowModified(), step != startStep);
    }

    // Pointing at an item shows the move pointer and starts nothing; a click on empty space
    // afterwards is no drag either.
    void hover() {
        ShownWindow w;
        QVERIFY(w.exposed);
        LabelDocument& document = w.window.document();
        document.TextItems.resize(std::size_t(1));
        document.item(0) = makeItem(20, 30);
        LabelView* view = w.window.picDoc();
        const QPoint onItem = view->toPixels(QPointF(30, 35)).toPoint();
        const QPoint empty = view->toPixels(QPointF(80, 90)).toPoint();
        QTest::mouseMove(view, onItem);
        QCOMPARE(view->cursor().shape(), Qt::SizeAllCursor);
        QVERIFY(!view->showsMovePointer());
        QTest::mouseMove(view, empty);
        QCOMPARE(view->cursor().shape(), Qt::ArrowCursor);
        QTest::mouseMove(view, onItem);
        QTest::mouseClick(view, Qt::LeftButton, {}, empty);
        QVERIFY(!document.LabelChanged);
        QCOMPARE(document.SelectedText, -1);
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
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(typed);
        static_cast<QDialog*>(dialog.get())->accept(); // as the Save button does
        QCOMPARE(dialog->selectedFiles(), QStringList{dir.filePath(saved)});
    }
};

QTEST_MAIN(DesktopHabitsTest)
#include "test_desktop_habits.moc"
