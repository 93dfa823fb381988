// Tool-bar buttons and the Insert, Delete and Enter keys lead to the menu commands.
#include "document/LabelFileStore.h"
#include "mainwindow/frmMain.h"
#include "support/ScriptedPlatform.h"
#include "view/widgets/LabelView.h"

#include <QAction>
#include <QDialog>
#include <QMenuBar>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

namespace {
const QString EditRefusal = QStringLiteral("編集する文字を選択してください。");
const QString DeleteRefusal = QStringLiteral("削除する文字を選択してください。");

// Counts the key presses a control receives itself.
class KeyCounter : public QObject {
public:
    QList<int> keys;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Shift && key != Qt::Key_Control)
            keys << key;
        return false;
    }
};
} // namespace

class CommandRoutingTest : public QObject {
    Q_OBJECT

    static void click(frmMain& window, const char* toolBar, const char* key) {
        for (QAction* action : window.findChild<QToolBar*>(toolBar)->actions())
            if (action->property("Key").toString() == QLatin1String(key))
                return action->trigger();
        QFAIL("no such button");
    }

private slots:
    void fileToolBar() {
        QTemporaryDir folder;
        ScriptedPlatform platform;
        frmMain window(platform);

        // "Open" opens a document: the document dialog with its filter.
        platform.fileAnswers = {std::nullopt};
        click(window, "tbrFile", "Open");
        QCOMPARE(platform.fileDialogs.size(), 1);
        QVERIFY(!platform.fileDialogs[0].save);
        QCOMPARE(platform.fileDialogs[0].filter, QStringLiteral("Gyroplatecomposer Files|*.gpc"));

        // "Save" is Save, never Save As: a titled document is written without a dialog.
        const QString target = folder.filePath("routed.gpc");
        window.documentDialog().fileName = target;
        window.document().LabelChanged = true;
        click(window, "tbrFile", "Save");
        QCOMPARE(platform.fileDialogs.size(), 1);
        QVERIFY(LabelFileStore::load(target).file.has_value());
        QVERIFY(!window.document().LabelChanged);

        // "New" asks first when there are changes.
        window.document().LabelChanged = true;
        platform.messageAnswers = {MessageAnswer::Cancel};
        click(window, "tbrFile", "New");
        QCOMPARE(platform.lastMessageText(),
                 QStringLiteral("ラベルは変更されています。保存しますか？"));

        // "Print" shows the print dialog; cancelling it is silent.
        platform.messages.clear();
        platform.printAnswers = {[](QPrinter&) { return false; }};
        click(window, "tbrFile", "Print");
        QCOMPARE(platform.printDialogsShown, 1);
        QVERIFY(platform.messages.isEmpty());
        QVERIFY(platform.unexpected.isEmpty());
    }

    void editToolBar() {
        ScriptedPlatform platform;
        frmMain window(platform);
        // "Open" here opens a background picture: the picture dialog.
        platform.fileAnswers = {std::nullopt};
        click(window, "tbrEdit", "Open");
        QCOMPARE(platform.fileDialogs.size(), 1);
        QVERIFY(platform.fileDialogs[0].filter.startsWith(QStringLiteral("ピクチャファイル|")));

        platform.modalActions.push_back([](QDialog* dialog) {
            QCOMPARE(dialog->objectName(), QStringLiteral("frmText"));
            dialog->close();
        });
        click(window, "tbrEdit", "Ins");
        QCOMPARE(platform.modalsShown.size(), 1);
        click(window, "tbrEdit", "Edit");
        QCOMPARE(platform.lastMessageText(), EditRefusal);
        click(window, "tbrEdit", "Del");
        QCOMPARE(platform.lastMessageText(), DeleteRefusal);
        QVERIFY(platform.unexpected.isEmpty());
        QCOMPARE(window.document().itemCount(), 0);
    }

    void keysWhereverTheFocusIs() {
        ScriptedPlatform platform;
        frmMain window(platform);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QScrollBar* zoom = window.fsbZoom();
        zoom->setFocusPolicy(Qt::StrongFocus);
        zoom->setFocus();
        QCOMPARE(QApplication::focusWidget(), zoom);
        KeyCounter seen;
        zoom->installEventFilter(&seen);

        // Insert with any modifiers opens the insert dialog, and still reaches the control.
        for (const Qt::KeyboardModifiers modifiers :
             {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ShiftModifier),
              Qt::KeyboardModifiers(Qt::ControlModifier)}) {
            platform.modalActions.push_back([](QDialog* dialog) { dialog->close(); });
            QTest::keyClick(zoom, Qt::Key_Insert, modifiers);
        }
        QCOMPARE(platform.modalsShown.size(), 3);

        // Delete and Ctrl+Delete run delete (nothing selected: its message).
        QTest::keyClick(zoom, Qt::Key_Delete);
        QTest::keyClick(zoom, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(platform.messages.size(), 2);
        QCOMPARE(platform.messages[1].text, DeleteRefusal);
        QCOMPARE(seen.keys, QList<int>({Qt::Key_Insert, Qt::Key_Insert, Qt::Key_Insert,
                                         Qt::Key_Delete, Qt::Key_Delete}));

        // Enter runs edit and the scroll bar never sees it.
        QTest::keyClick(zoom, Qt::Key_Return);
        QTest::keyClick(zoom, Qt::Key_Enter);
        QCOMPARE(platform.messages.size(), 4);
        QCOMPARE(platform.messages[3].text, EditRefusal);
        QCOMPARE(seen.keys.size(), 5);

        // Other keys are the control's own: the arrow moves the scroll bar, no command runs.
        QTest::keyClick(zoom, Qt::Key_Right);
        QCOMPARE(platform.messages.size(), 4);
        QCOMPARE(seen.keys.size(), 6);
        QVERIFY(platform.unexpected.isEmpty());
    }

    // With the menu bar holding the keyboard (after Alt) or a menu open, Enter, Insert and
    // Delete belong to the menu.
    void keysAreTheMenusWhileItHasTheKeyboard_data() {
        QTest::addColumn<bool>("openMenu");
        QTest::newRow("menu bar after Alt") << false;
        QTest::newRow("open menu") << true;
    }

    void keysAreTheMenusWhileItHasTheKeyboard() {
        QFETCH(bool, openMenu);
        ScriptedPlatform platform;
        frmMain window(platform);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QMenuBar* bar = window.menuBar();
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window,
                        Qt::Key_Alt);
        QTRY_VERIFY(bar->hasFocus());
        QVERIFY(window.menuHasKeyboard());
        QWidget* target = bar;
        if (openMenu) {
            QTest::keyClick(bar, Qt::Key_Down);
            QTRY_VERIFY(QApplication::activePopupWidget());
            target = QApplication::activePopupWidget();
        }
        for (const Qt::Key key : {Qt::Key_Insert, Qt::Key_Delete})
            QTest::keyClick(target, key);
        QVERIFY(platform.modalsShown.isEmpty());
        QVERIFY(platform.messages.isEmpty());
        // Enter chooses the highlighted item: the File menu opens, or its first item (New)
        // runs, which asks nothing of an unchanged document.
        QTest::keyClick(target, Qt::Key_Return);
        QVERIFY(platform.messages.isEmpty());
        QVERIFY(platform.unexpected.isEmpty());
        if (QApplication::activePopupWidget())
            QApplication::activePopupWidget()->close();
    }
};

QTEST_MAIN(CommandRoutingTest)
#include "test_command_routing.moc"
