// The main window: start-up placement, menus, tool bars and the fitting of the label view.
#include "mainwindow/BandContainer.h"
#include "mainwindow/WindowPlacement.h"
#include "mainwindow/frmMain.h"
#include "support/ScriptedPlatform.h"
#include "view/widgets/LabelView.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>
#include <QToolBar>

Q_DECLARE_METATYPE(ScreenTwips)

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    // Caption list of a menu, "-" for a separator, submenus inline as "caption>" then items.
    static QStringList captions(const QMenu* menu) {
        QStringList result;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator()) {
                result << QStringLiteral("-");
            } else if (action->menu()) {
                result << action->text() + QLatin1Char('>');
                result << captions(action->menu());
                result << QStringLiteral("<");
            } else {
                result << action->text();
            }
        }
        return result;
    }

    static void checkFitted(frmMain& window) {
        const QRect inner = window.picView()->contentsRect();
        const int smaller = std::min(inner.width(), inner.height());
        LabelView* view = window.picDoc();
        QCOMPARE(view->width(), view->height());
        QCOMPARE(view->width(), qRound(smaller * 0.95f));
        QCOMPARE(view->x(), (inner.width() - view->width()) / 2);
        QCOMPARE(view->y(), (inner.height() - view->height()) / 2);
        const QPointF centre =
            view->toMillimetres(QPointF(view->width() / 2.0, view->height() / 2.0));
        QCOMPARE(centre, QPointF(61, 61));
    }

private slots:
    void firstStartUsesScreenFractions() {
        ScriptedPlatform platform;
        frmMain window(platform);
        QCOMPARE(window.requestedPlacementTwips(), QRectF(768, 576, 13824, 10368));
        QCOMPARE(window.windowTitle(), QStringLiteral("無題[*] - Gyroplatecomposer"));
        QCOMPARE(window.document().SelectedText, -1);
        QCOMPARE(window.document().itemCount(), 0);
        QVERIFY(!window.document().LabelChanged);
        QVERIFY(window.documentDialog().fileName.isEmpty());
        QCOMPARE(window.documentDialog().filter, QStringLiteral("Gyroplatecomposer Files|*.gpc"));
        QCOMPARE(
            window.backgroundDialog().filter,
            QStringLiteral("ピクチャファイル|*.bmp;*.ico;*.cur;*.rle;*.wmf;*.emf;*.jpg|"
                           "その他の画像ファイル|*.jpeg;*.jpe;*.png;*.gif;*.tif;*.tiff;*.webp"));
    }

    void storedPlacementAndUnreadableValues() {
        ScriptedPlatform platform;
        platform.settings = {{"MainLeft", "1500"},
                             {"MainTop", "abc"},
                             {"MainWidth", "9000"},
                             {"MainHeight", "6000.5"}};
        frmMain window(platform);
        QCOMPARE(window.requestedPlacementTwips(), QRectF(1500, 576, 9000, 6000.5));
        QCOMPARE(window.size(), QSize(600, 400));
    }

    void hostilePlacementFallsBackOntoTheScreen() {
        const QList<QMap<QString, QString>> cases = {
            {{"MainLeft", "-99999999"}}, {{"MainWidth", "-5"}}, {{"MainHeight", "0"}},
            {{"MainWidth", "1e30"}},     {{"MainLeft", "nan"}}, {{"MainTop", "inf"}},
            {{"MainTop", ""}},
        };
        for (const auto& settings : cases) {
            ScriptedPlatform platform;
            platform.settings = settings;
            frmMain window(platform);
            QCOMPARE(window.requestedPlacementTwips(), QRectF(768, 576, 13824, 10368));
        }
    }

    // A window left on any screen comes back there; one whose screen has gone, or whose title
    // bar would be hidden, starts on the primary screen, wherever that lies on the desktop.
    void placementOnEveryScreen_data() {
        QTest::addColumn<QList<ScreenTwips>>("screens");
        QTest::addColumn<QRectF>("stored");
        QTest::addColumn<QRectF>("expected");
        const QRect primary(0, 0, 15360, 11520);
        const ScreenTwips plain{primary, primary};
        const QRectF defaults(768, 576, 13824, 10368);
        const QRectF onRight(20000, 1000, 9000, 6000);
        const QRectF onLeft(-14000, 500, 9000, 6000);
        const QRect right(15360, 0, 15360, 11520);
        const QRect left(-15360, 0, 15360, 11520);
        QTest::newRow("second screen on the right")
            << QList<ScreenTwips>{plain, {right, right}} << onRight << onRight;
        QTest::newRow("second screen on the left")
            << QList<ScreenTwips>{plain, {left, left}} << onLeft << onLeft;
        QTest::newRow("second screen gone") << QList<ScreenTwips>{plain} << onRight << defaults;
        QTest::newRow("primary not at the origin, first start")
            << QList<ScreenTwips>{{right, right}, plain} << QRectF()
            << QRectF(15360 + 768, 576, 13824, 10368);
        QTest::newRow("primary not at the origin, stored off every screen")
            << QList<ScreenTwips>{{right, right}} << QRectF(1500, 600, 9000, 6000)
            << QRectF(15360 + 768, 576, 13824, 10368);
        const QRect belowPanel(0, 600, 15360, 10920);
        QTest::newRow("title bar under a panel")
            << QList<ScreenTwips>{{primary, belowPanel}} << QRectF(1500, 0, 9000, 6000) << defaults;
        QTest::newRow("title bar just below a panel")
            << QList<ScreenTwips>{{primary, belowPanel}} << QRectF(1500, 600, 9000, 6000)
            << QRectF(1500, 600, 9000, 6000);
        const QRect small(15360, 0, 9600, 7200);
        QTest::newRow("larger than the screen it is on")
            << QList<ScreenTwips>{plain, {small, small}} << QRectF(16000, 500, 13000, 9000)
            << defaults;
    }

    void placementOnEveryScreen() {
        QFETCH(QList<ScreenTwips>, screens);
        QFETCH(QRectF, stored);
        QFETCH(QRectF, expected);
        ScriptedPlatform platform;
        platform.screens = screens;
        if (!stored.isNull()) {
            platform.settings = {{"MainLeft", QString::number(stored.left())},
                                 {"MainTop", QString::number(stored.top())},
                                 {"MainWidth", QString::number(stored.width())},
                                 {"MainHeight", QString::number(stored.height())}};
        }
        frmMain window(platform);
        QCOMPARE(window.requestedPlacementTwips(), expected);
    }

    // The outer frame is stored, and the next start gives the frame that size again (the
    // test platform draws a frame of a few pixels around the client).
    void placementIsStoredAtCloseAndRestored() {
        ScriptedPlatform platform;
        QRect frame;
        {
            frmMain window(platform);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            window.move(30, 40);
            window.resize(700, 500);
            frame = window.frameGeometry();
            QVERIFY(frame.size() != window.size());
            QVERIFY(window.close());
        }
        QCOMPARE(platform.settings.value("MainLeft"), QString::number(frame.left() * 15));
        QCOMPARE(platform.settings.value("MainTop"), QString::number(frame.top() * 15));
        QCOMPARE(platform.settings.value("MainWidth"), QString::number(frame.width() * 15));
        QCOMPARE(platform.settings.value("MainHeight"), QString::number(frame.height() * 15));

        frmMain again(platform);
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QTRY_COMPARE(again.frameGeometry(), frame);
    }

    void menuTable() {
        ScriptedPlatform platform;
        frmMain window(platform);
        const QList<QAction*> top = window.menuBar()->actions();
        QCOMPARE(top.size(), 3);
        QCOMPARE(top[0]->text(), QStringLiteral("ファイル(&F)"));
        QCOMPARE(top[1]->text(), QStringLiteral("編集(&E)"));
        QCOMPARE(top[2]->text(), QStringLiteral("ヘルプ(&H)"));
        const QStringList media{"用紙(&T)>",
                                "ディスク（プリンターのトレイ）",
                                "-",
                                "Avery L6015（A4）",
                                "Avery L7676（A4）",
                                "Herma 4093（A4）",
                                "Neato A4 CD（A4）",
                                "Sanwa LB-CDRJP（A4）",
                                "Avery 5931（レター）",
                                "Avery 8960（レター）",
                                "Avery 5824（レター）",
                                "Memorex CD labels（レター）",
                                "<"};
        QCOMPARE(captions(top[0]->menu()),
                 QStringList({"ラベルの新規作成(&N)", "開く(&O)...", "上書き保存(&S)",
                              "名前を付けて保存(&A)...", "-"}) +
                     media +
                     QStringList({"印刷位置設定(&S)...", "印刷(&P)...", "印刷プレビュー(&V)...",
                                  "位置合わせ用紙の印刷(&L)...", "ラベルを画像で保存(&G)...",
                                  "差し込み印刷(&M)...", "-", "最近使ったファイル(&R)>", "<", "-",
                                  "終了(&X)"}));
        QCOMPARE(captions(top[1]->menu()),
                 QStringList({"元に戻す(&U)", "やり直し(&R)", "-", "背景を開く(&B)...",
                              "背景を全体に合わせる(&F)", "-", "文字の挿入(&I)...",
                              "曲目リストの挿入(&T)...", "文字の編集(&E)...", "文字の削除(&D)",
                              "文字の位置(&C)>", "左右中央(&U)", "上下中央(&D)", "<"}));
        QCOMPARE(captions(top[2]->menu()), QStringList({"バージョン情報(&A)..."}));

        // Save and Save As, and the two centring items, are one handler each told apart by index.
        QList<QAction*> saves;
        for (QAction* action : window.findChildren<QAction*>("mnuFileSave"))
            saves << action;
        QCOMPARE(saves.size(), 2);
        for (QAction* action : saves)
            QVERIFY(action->isEnabled());
        QCOMPARE(window.findChildren<QAction*>("mnuEditTextCenterItem").size(), 2);
        QVERIFY(window.findChild<QAction*>("mnuFileBar1")->isSeparator());
        QVERIFY(window.findChild<QAction*>("mnuEditBar1")->isSeparator());
    }

    void toolBarsAndScrollBar() {
        ScriptedPlatform platform;
        frmMain window(platform);
        auto buttons = [&](const char* name) {
            QStringList result;
            for (QAction* action : window.findChild<QToolBar*>(name)->actions())
                result << (action->isSeparator()
                               ? QStringLiteral("-")
                               : action->property("Key").toString() + ":" + action->toolTip());
            return result;
        };
        QCOMPARE(buttons("tbrFile"),
                 QStringList({"New:ラベルの新規作成", "Open:ラベルを開く",
                              "Save:ラベルの上書き保存", "-", "Print:ラベルの印刷"}));
        QCOMPARE(buttons("tbrEdit"),
                 QStringList({"Open:背景を開く", "Fit:背景を全体に合わせる", "-", "Ins:文字の挿入",
                              "Tracks:曲目リストの挿入", "Edit:文字の編集", "Del:文字の削除"}));
        for (QAction* action : window.findChild<QToolBar*>("tbrFile")->actions())
            if (!action->isSeparator())
                QVERIFY(action->text().isEmpty() && !action->icon().isNull());

        QScrollBar* zoom = window.findChild<QScrollBar*>("fsbZoom");
        QVERIFY(zoom);
        QCOMPARE(zoom->minimum(), -100);
        QCOMPARE(zoom->maximum(), 100);
        QCOMPARE(zoom->singleStep(), 1);
        QCOMPARE(zoom->pageStep(), 10);
        QCOMPARE(zoom->value(), 0);
        QVERIFY(window.findChild<BandContainer*>("cbrMenu"));
    }

    void viewIsFittedAfterEveryResize() {
        ScriptedPlatform platform;
        frmMain window(platform);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (const QSize size : {QSize(1000, 600), QSize(600, 1000), QSize(800, 800),
                                 QSize(900, 700), QSize(640, 900)}) {
            window.resize(size);
            QCoreApplication::processEvents();
            checkFitted(window);
        }
        // The exactly square viewport takes the width branch with the same result.
        window.resize(800, 900);
        QCoreApplication::processEvents();
        const QRect inner = window.picView()->contentsRect();
        window.resize(window.width(), window.height() + inner.width() - inner.height());
        QCoreApplication::processEvents();
        QCOMPARE(window.picView()->contentsRect().width(),
                 window.picView()->contentsRect().height());
        checkFitted(window);
    }

    void bandHeightChangeMovesTheView() {
        ScriptedPlatform platform;
        frmMain window(platform);
        window.show();
        window.resize(1000, 700);
        QCoreApplication::processEvents();
        const int oneRow = window.cbrMenu()->height();
        QCOMPARE(window.picView()->y(), oneRow);

        window.cbrMenu_HeightChanged(90);
        QCOMPARE(window.picView()->y(), 90);
        checkFitted(window);

        // A narrow window wraps the bands onto more rows; the view starts right below them.
        window.resize(320, 600);
        QCoreApplication::processEvents();
        QVERIFY(window.cbrMenu()->rowCount() > 1);
        QVERIFY(window.cbrMenu()->height() > oneRow);
        QCOMPARE(window.picView()->y(), window.cbrMenu()->height());
        checkFitted(window);
    }

    void selectionFrameFollowsSelectedText() {
        ScriptedPlatform platform;
        frmMain window(platform);
        window.show();
        window.resize(800, 800);
        QCoreApplication::processEvents();
        LabelDocument& document = window.document();
        document.TextItems.resize(std::size_t(2));
        document.item(0) = TextItem{"a", 10, 20, 30, 12, 20, 0, "IPAGothic"};
        document.item(1) = TextItem{"b", 61, 61, 20, 10, 20, 0, "IPAGothic"};
        QWidget* frame = window.picDoc()->findChild<QWidget*>("shpText");
        QVERIFY(frame);

        document.SelectedText = 1;
        window.RedrawLabel();
        QVERIFY(frame->isVisible());
        const QPointF topLeft = window.picDoc()->toPixels(QPointF(61, 61));
        const QPointF bottomRight = window.picDoc()->toPixels(QPointF(81, 71));
        QVERIFY(std::abs(frame->x() - topLeft.x()) <= 1);
        QVERIFY(std::abs(frame->y() - topLeft.y()) <= 1);
        QVERIFY(std::abs(frame->geometry().right() - bottomRight.x()) <= 1);
        QVERIFY(std::abs(frame->geometry().bottom() - bottomRight.y()) <= 1);

        document.SelectedText = -1;
        window.RedrawLabel();
        QVERIFY(!frame->isVisible());
    }

    void redrawOfARefusedBackgroundAsksNothing() {
        ScriptedPlatform platform;
        frmMain window(platform);
        window.show();
        window.resize(800, 800);
        QCoreApplication::processEvents();
        // A 240 × 240 px picture (63.5 mm) whose top-left quarter is red, the rest blue.
        QImage image(240, 240, QImage::Format_RGB32);
        image.fill(Qt::blue);
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 120; ++x)
                image.setPixel(x, y, qRgb(255, 0, 0));
        window.setBackgroundPicture(Picture::fromBitmap(image));
        LabelDocument& document = window.document();
        document.BackWidth = document.BackHeight = 122;
        document.BackLeft = 40; // the blue part at the label's top-left
        document.BackTop = 40;
        window.RedrawLabel();
        QVERIFY(platform.messages.isEmpty());
        QCOMPARE(window.picDoc()->image().pixelColor(3, 3), QColor(Qt::blue));

        // A redraw only draws: a shown part off the picture leaves the picture out, asks nothing
        // and changes nothing (the gesture that put it there reports and resets it).
        document.BackLeft = -0.5f;
        window.RedrawLabel();
        QVERIFY(platform.messages.isEmpty());
        QCOMPARE(document.BackLeft, -0.5f);
        QCOMPARE(document.BackTop, 40.0f);
        QVERIFY(!document.LabelChanged);
        const QColor blank = window.picDoc()->image().pixelColor(3, 3);
        QVERIFY(blank != QColor(Qt::red) && blank != QColor(Qt::blue));

        // The corner at (0, 0) is accepted whatever the size; NaN is drawn without asking too.
        for (float side : {1.0f, 61.0f, 244.0f, 5000.0f}) {
            document.BackLeft = document.BackTop = 0;
            document.BackWidth = document.BackHeight = side;
            window.RedrawLabel();
        }
        document.BackLeft = std::numeric_limits<float>::quiet_NaN();
        window.RedrawLabel();
        QVERIFY(platform.messages.isEmpty());
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
