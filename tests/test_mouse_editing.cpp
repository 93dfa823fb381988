// Selecting and dragging with real mouse events on picDoc of a real main window. The view is
// made 366 pixels wide, 3 pixels to the millimetre, so whole millimetres are exact pixels.
#include "document/LabelFileCodec.h"
#include "mainwindow/frmMain.h"
#include "platform/pictures/Picture.h"
#include "support/ScriptedPlatform.h"
#include "view/widgets/LabelView.h"
#include "view/widgets/SelectionFrame.h"

#include <QDialog>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

namespace {
constexpr int ViewSidePx = 366;

// What can come in the middle of a drag.
enum Interruption { RightPress, Insert, Delete, Wheel, New, Save, Undo, Arrow };

TextItem makeItem(const QString& text, float left, float top, float width, float height) {
    TextItem item;
    item.Text = text;
    item.FontName = QStringLiteral("IPAGothic");
    item.Size = 20;
    item.Left = left;
    item.Top = top;
    item.Width = width;
    item.Height = height;
    return item;
}
} // namespace

class TestMouseEditing : public QObject {
    Q_OBJECT

private slots:
    void init() {
        platform_ = std::make_unique<ScriptedPlatform>();
        frm_ = std::make_unique<frmMain>(*platform_);
        frm_->resize(620, 480);
        frm_->show();
        QVERIFY(QTest::qWaitForWindowExposed(frm_.get()));
        fitView();
        QCOMPARE(view()->width(), ViewSidePx);
    }
    void cleanup() {
        frm_->mnuEdit()->hide();
        QVERIFY2(platform_->unexpected.isEmpty(), qPrintable(platform_->unexpected.join(", ")));
        frm_.reset();
        platform_.reset();
    }

    // Two overlapping items: the left button takes the lower index, the right one the item
    // drawn on top, and opens the Edit menu without starting a drag.
    void overlapLeftSelectsFirstRightSelectsLast() {
        LabelDocument& document =
            addItems({makeItem("A", 20, 30, 40, 10), makeItem("B", 30, 32, 40, 10)});
        press(Qt::LeftButton, 35, 35);
        QCOMPARE(document.SelectedText, 0);
        QVERIFY(view()->showsMovePointer());
        QVERIFY(frame()->isVisible());
        QCOMPARE(frame()->rectMm(), QRectF(20, 30, 40, 10));
        release(Qt::LeftButton, 35, 35);
        document.LabelChanged = false;

        press(Qt::RightButton, 35, 35);
        QCOMPARE(document.SelectedText, 1);
        QCOMPARE(frame()->rectMm(), QRectF(30, 32, 40, 10));
        QVERIFY(frm_->mnuEdit()->isVisible());
        QVERIFY(!view()->showsMovePointer());
        release(Qt::RightButton, 35, 35);
        QVERIFY(!document.LabelChanged);
        QCOMPARE(document.item(1).Left, 30.0f);
    }

    // A right click on empty space keeps the selection for the menu's commands.
    void rightClickOnEmptySpaceKeepsSelection() {
        LabelDocument& document = addItems({makeItem("A", 20, 30, 40, 10)});
        document.SelectedText = 0;
        frm_->RedrawLabel();
        press(Qt::RightButton, 100, 100);
        release(Qt::RightButton, 100, 100);
        QCOMPARE(document.SelectedText, 0);
        QVERIFY(frame()->isVisible());
        QVERIFY(frm_->mnuEdit()->isVisible());
    }

    void clickOnAnEdgeSelectsNothing_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::newRow("left") << 20 << 35;
        QTest::newRow("right") << 60 << 35;
        QTest::newRow("top") << 25 << 30;
        QTest::newRow("bottom") << 25 << 40;
        QTest::newRow("corner") << 20 << 30;
    }
    void clickOnAnEdgeSelectsNothing() {
        QFETCH(int, x);
        QFETCH(int, y);
        LabelDocument& document = addItems({makeItem("A", 20, 30, 40, 10)});
        document.SelectedText = 0;
        frm_->RedrawLabel();
        press(Qt::LeftButton, x, y);
        QCOMPARE(document.SelectedText, -1);
        QVERIFY(!frame()->isVisible());
        QVERIFY(!view()->showsMovePointer()); // no picture, so no background drag either
        release(Qt::LeftButton, x, y);
        QVERIFY(!document.LabelChanged);
    }

    // Press and release without moving: the item stays, the document counts as changed.
    void clickWithoutMovingMarksChanged() {
        LabelDocument& document = addItems({makeItem("A", 20, 30, 40, 10)});
        press(Qt::LeftButton, 25, 35);
        QVERIFY(!document.LabelChanged);
        release(Qt::LeftButton, 25, 35);
        QCOMPARE(document.item(0).Left, 20.0f);
        QCOMPARE(document.item(0).Top, 30.0f);
        QVERIFY(document.LabelChanged);
        QCOMPARE(document.SelectedText, 0);
        QVERIFY(!view()->showsMovePointer());
    }

    // During the drag only the frame follows; the release moves the item and redraws once.
    void dragMovesFrameThenItem() {
        LabelDocument& document = addItems({makeItem("A", 20, 30, 40, 10)});
        const qint64 imageBefore = view()->image().cacheKey();
        press(Qt::LeftButton, 25, 35);
        move(30, 33);
        QCOMPARE(frame()->rectMm(), QRectF(25, 28, 40, 10));
        QCOMPARE(frame()->geometry().topLeft(), QPoint(75, 84));
        move(35, 30);
        QCOMPARE(frame()->rectMm(), QRectF(30, 25, 40, 10));
        QCOMPARE(document.item(0).Left, 20.0f);
        QVERIFY(!document.LabelChanged);
        QCOMPARE(view()->image().cacheKey(), imageBefore);

        release(Qt::LeftButton, 35, 30);
        QCOMPARE(document.item(0).Left, 30.0f);
        QCOMPARE(document.item(0).Top, 25.0f);
        QCOMPARE(document.SelectedText, 0);
        QVERIFY(document.LabelChanged);
        QVERIFY(!view()->showsMovePointer());
        QCOMPARE(frame()->rectMm(), QRectF(30, 25, 40, 10));
        QVERIFY(view()->image().cacheKey() != imageBefore);

        // The pointer is back to normal: moving without a press changes nothing.
        document.LabelChanged = false;
        move(50, 50, Qt::LeftButton);
        release(Qt::LeftButton, 50, 50);
        QCOMPARE(document.item(0).Left, 30.0f);
        QVERIFY(!document.LabelChanged);
    }

    // Whatever else the user does during a drag ends it first, moving nothing: a right press (its
    // menu takes the mouse), Insert (its dialog does), Delete, the wheel, New, Save, Undo, an arrow
    // key. That input then acts on the label as it was before the drag; the rest of the drag and
    // its release are ignored. Undoing every step afterwards gives back the label as it started.
    void interruptedDragMovesNothing_data() {
        QTest::addColumn<bool>("textDrag");
        QTest::addColumn<int>("interruption");
        QTest::addColumn<int>("steps"); // in the history afterwards
        const QList<std::tuple<const char*, Interruption, int, int>> rows = {
            {"right press", RightPress, 0, 0},
            {"Insert", Insert, 0, 0},
            {"Delete", Delete, 1, 0},
            {"wheel", Wheel, 1, 1},
            {"Ctrl+N", New, 0, 0},
            {"Ctrl+S", Save, 0, 0},
            {"Ctrl+Z", Undo, 0, 0},
            {"arrow key", Arrow, 1, 0}};
        for (const auto& [name, interruption, textSteps, backgroundSteps] : rows) {
            QTest::addRow("text, %s", name) << true << int(interruption) << textSteps;
            QTest::addRow("background, %s", name) << false << int(interruption) << backgroundSteps;
        }
    }
    void interruptedDragMovesNothing() {
        QFETCH(bool, textDrag);
        QFETCH(int, interruption);
        QFETCH(int, steps);
        withPicture(20, 20);
        LabelDocument& document =
            addItems({makeItem("A", 20, 30, 40, 10), makeItem("B", 20, 60, 40, 10)});
        const LabelDocument before = document;
        view()->setFocus();
        const int startX = textDrag ? 25 : 100, startY = textDrag ? 35 : 100;
        press(Qt::LeftButton, startX, startY);
        move(startX + 10, startY - 5);
        if (textDrag)
            QCOMPARE(frame()->rectMm(), QRectF(30, 25, 40, 10));
        else
            QCOMPARE(document.BackLeft, 15.0f);
        const QString saved = QDir(temporary_.path()).filePath(QStringLiteral("saved.gpc"));
        switch (Interruption(interruption)) {
        case RightPress:
            press(Qt::RightButton, 35, 30);
            frm_->mnuEdit()->hide();
            break;
        case Insert:
            platform_->modalActions.push_back([](QDialog* dialog) { dialog->reject(); });
            QTest::keyClick(view(), Qt::Key_Insert);
            break;
        case Delete:
            QTest::keyClick(view(), Qt::Key_Delete);
            break;
        case Wheel: {
            const QPointF at = pixels(startX + 10, startY - 5);
            QWheelEvent event(at, view()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::LeftButton,
                              {}, Qt::NoScrollPhase, false);
            QApplication::sendEvent(view(), &event);
            break;
        }
        case New:
            QTest::keyClick(view(), Qt::Key_N, Qt::ControlModifier);
            break;
        case Save:
            platform_->fileAnswers.push_back(saved);
            QTest::keyClick(view(), Qt::Key_S, Qt::ControlModifier);
            break;
        case Undo:
            QTest::keyClick(view(), Qt::Key_Z, Qt::ControlModifier);
            break;
        case Arrow:
            QTest::keyClick(view(), Qt::Key_Right);
            break;
        }
        QVERIFY(!view()->showsMovePointer());
        move(45, 40);
        release(Qt::LeftButton, 45, 40);
        QCOMPARE(frm_->history().count(), steps);

        if (interruption == New) {
            QCOMPARE(document.itemCount(), 0);
            QVERIFY(!document.LabelChanged);
            return;
        }
        if (interruption == Save) {
            QFile file(saved);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const LabelFileCodec::DecodeResult read = LabelFileCodec::decode(file.readAll());
            QVERIFY(read.file);
            QCOMPARE(read.file->document.BackLeft, 20.0f);
            QCOMPARE(read.file->document.item(0).Left, 20.0f);
            QVERIFY(!document.LabelChanged);
        }
        while (frm_->history().canUndo())
            frm_->history().undo();
        QCOMPARE(document.BackLeft, before.BackLeft);
        QCOMPARE(document.BackTop, before.BackTop);
        QCOMPARE(document.BackWidth, before.BackWidth);
        QCOMPARE(document.itemCount(), before.itemCount());
        for (int i = 0; i < before.itemCount(); ++i)
            QCOMPARE(document.item(i), before.item(i));
        QVERIFY(!document.LabelChanged);
    }

    // Each drag is one undo step: the keys and the menu take it back and make it again, with
    // the selection that went with it, and undoing back to the start leaves nothing to save.
    void dragsAreUndoneAndRedone() {
        withPicture(20, 20);
        LabelDocument& document = addItems({makeItem("A", 20, 30, 40, 10)});
        frm_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frm_.get()));
        press(Qt::LeftButton, 25, 35);
        move(35, 30);
        release(Qt::LeftButton, 35, 30);
        press(Qt::LeftButton, 100, 100);
        move(110, 100);
        release(Qt::LeftButton, 110, 100);
        QCOMPARE(document.BackLeft, 15.0f);
        QCOMPARE(undoAction()->text(), QStringLiteral("元に戻す: 背景の移動(&U)"));

        QTest::keyClick(frm_.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(document.BackLeft, 20.0f);
        QCOMPARE(undoAction()->text(), QStringLiteral("元に戻す: 文字の移動(&U)"));
        undoAction()->trigger();
        QCOMPARE(document.item(0).Left, 20.0f);
        QCOMPARE(document.item(0).Top, 30.0f);
        QCOMPARE(document.SelectedText, 0);
        QCOMPARE(frame()->rectMm(), QRectF(20, 30, 40, 10));
        QVERIFY(!document.LabelChanged);
        QVERIFY(!undoAction()->isEnabled());

        QTest::keyClick(frm_.get(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(document.item(0).Left, 30.0f);
        QCOMPARE(frame()->rectMm(), QRectF(30, 25, 40, 10));
        QTest::keyClick(frm_.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(document.BackLeft, 15.0f);
        QVERIFY(document.LabelChanged);
        QVERIFY(!frm_->findChild<QAction*>("mnuEditRedo")->isEnabled());
    }

    void clickOnEmptySpaceWithoutPictureClearsSelection() {
        LabelDocument& document = addItems({makeItem("A", 20, 30, 40, 10)});
        document.SelectedText = 0;
        frm_->RedrawLabel();
        QVERIFY(frame()->isVisible());
        press(Qt::LeftButton, 100, 100);
        QCOMPARE(document.SelectedText, -1);
        QVERIFY(!frame()->isVisible());
        move(110, 100);
        release(Qt::LeftButton, 110, 100);
        QVERIFY(!document.LabelChanged);
        QCOMPARE(document.BackLeft, 0.0f);
    }

    // At twice the picture's size a 10 mm drag moves the shown window 5 mm the other way.
    void backgroundDragFollowsThePointer() {
        LabelDocument& document = withPicture(20, 20);
        press(Qt::LeftButton, 100, 100);
        QVERIFY(view()->showsMovePointer());
        QCOMPARE(document.SelectedText, -1);
        move(110, 100);
        QCOMPARE(document.BackLeft, 15.0f);
        QCOMPARE(document.BackTop, 20.0f);
        QVERIFY(!document.LabelChanged);
        move(110, 96);
        QCOMPARE(document.BackLeft, 15.0f);
        QCOMPARE(document.BackTop, 22.0f);
        release(Qt::LeftButton, 110, 96);
        QVERIFY(document.LabelChanged);
        QVERIFY(!view()->showsMovePointer());
        QCOMPARE(document.BackWidth, 61.0f);
        QVERIFY(platform_->messages.isEmpty());
    }

    // On the focused label the arrows move the selected item, by 5 mm with Shift, a run of
    // presses being one step; on the focused scroll bar they still zoom.
    void arrowKeysNudgeTheSelectedItem() {
        withPicture(20, 20);
        LabelDocument& document = addItems({makeItem("A", 20, 30, 40, 10)});
        frm_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frm_.get()));
        press(Qt::LeftButton, 25, 35);
        release(Qt::LeftButton, 25, 35);
        QCOMPARE(QApplication::focusWidget(), view());
        QTest::keyClick(view(), Qt::Key_Right);
        QTest::keyClick(view(), Qt::Key_Right);
        QTest::keyClick(view(), Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(document.item(0).Left, 21.0f);
        QCOMPARE(document.item(0).Top, 35.0f);
        QCOMPARE(frame()->rectMm(), QRectF(21, 35, 40, 10));
        QVERIFY(document.LabelChanged);
        QCOMPARE(frm_->history().count(), 1);

        frm_->fsbZoom()->setFocus();
        QTest::keyClick(frm_->fsbZoom(), Qt::Key_Right);
        QCOMPARE(qAbs(frm_->scaleStep()), 1);
        QCOMPARE(document.item(0).Left, 21.0f);
        frm_->history().undo();
        frm_->history().undo();
        QCOMPARE(document.item(0).Left, 20.0f);
        QCOMPARE(document.item(0).Top, 30.0f);
    }

    // Leaving the picture gives the message once, over the last good picture of the label (a
    // redraw while it shows, as sharper pixels arriving make, shows that picture again and asks
    // nothing); the rest of that drag is ignored.
    void backgroundLimitEndsTheDrag() {
        LabelDocument& document = withPicture(2, 4);
        press(Qt::LeftButton, 50, 50);
        move(49, 50);
        const QColor picture = view()->image().pixelColor(ViewSidePx / 2, 20);
        int redrawsDuringMessage = 0;
        platform_->whileMessageShows = [&] {
            QCOMPARE(view()->image().pixelColor(ViewSidePx / 2, 20), picture);
            frm_->RedrawLabel();
            QCOMPARE(view()->image().pixelColor(ViewSidePx / 2, 20), picture);
            ++redrawsDuringMessage;
        };
        move(60, 50);
        QCOMPARE(redrawsDuringMessage, 1);
        QCOMPARE(platform_->messages.size(), 1);
        QCOMPARE(platform_->messages[0].text, QStringLiteral("背景を画面外に出さないでください。"));
        QCOMPARE(platform_->messages[0].title, QStringLiteral("背景の移動制限"));
        QCOMPARE(document.BackLeft, 0.0f);
        QCOMPARE(document.BackTop, 0.0f);
        QVERIFY(!view()->showsMovePointer());

        move(40, 40);
        QCOMPARE(document.BackLeft, 0.0f);
        QCOMPARE(document.BackTop, 0.0f);
        release(Qt::LeftButton, 40, 40);
        QCOMPARE(platform_->messages.size(), 1);
        // The placement went back to the corner: a change, which undo takes back.
        QVERIFY(document.LabelChanged);
        undoAction()->trigger();
        QCOMPARE(document.BackLeft, 2.0f);
        QCOMPARE(document.BackTop, 4.0f);
    }

private:
    LabelView* view() const { return frm_->picDoc(); }
    QAction* undoAction() const { return frm_->findChild<QAction*>("mnuEditUndo"); }
    SelectionFrame* frame() const { return view()->selectionFrame(); }

    // Sizes the window so that the layout makes the view exactly ViewSidePx wide.
    void fitView() {
        const int wantedInner = int(std::ceil((ViewSidePx - 0.5) / 0.95));
        for (int attempt = 0; attempt < 4 && view()->width() != ViewSidePx; ++attempt) {
            const int inner = frm_->picView()->contentsRect().height();
            frm_->resize(frm_->width(), frm_->height() + wantedInner - inner);
            QTRY_COMPARE(frm_->picView()->contentsRect().height(), wantedInner);
        }
    }

    LabelDocument& addItems(const QList<TextItem>& items) {
        LabelDocument& document = frm_->document();
        document.TextItems.resize(std::size_t(int(items.size())));
        for (int i = 0; i < items.size(); ++i)
            document.item(i) = items[i];
        frm_->RedrawLabel();
        return document;
    }

    // A 200-pixel square picture (about 52.9 mm) shown at twice its size from (left, top).
    LabelDocument& withPicture(float left, float top) {
        QImage image(200, 200, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        frm_->setBackgroundPicture(Picture::fromBitmap(image));
        LabelDocument& document = frm_->document();
        document.BackLeft = left;
        document.BackTop = top;
        document.BackWidth = 61;
        document.BackHeight = 61;
        frm_->RedrawLabel();
        return document;
    }

    QPoint pixels(int xMm, int yMm) const {
        const QPointF px = view()->toPixels(QPointF(xMm, yMm));
        return QPoint(int(px.x()), int(px.y()));
    }
    void press(Qt::MouseButton button, int xMm, int yMm) {
        QTest::mousePress(view(), button, {}, pixels(xMm, yMm));
    }
    void release(Qt::MouseButton button, int xMm, int yMm) {
        QTest::mouseRelease(view(), button, {}, pixels(xMm, yMm));
    }
    // A move with the buttons QTest holds; `extra` sends one as if it were held.
    void move(int xMm, int yMm, Qt::MouseButton extra = Qt::NoButton) {
        if (extra != Qt::NoButton) {
            QMouseEvent event(QEvent::MouseMove, pixels(xMm, yMm),
                              view()->mapToGlobal(pixels(xMm, yMm)), Qt::NoButton, extra, {});
            QApplication::sendEvent(view(), &event);
            return;
        }
        QTest::mouseMove(view(), pixels(xMm, yMm));
    }

    std::unique_ptr<ScriptedPlatform> platform_;
    std::unique_ptr<frmMain> frm_;
    QTemporaryDir temporary_;
};

QTEST_MAIN(TestMouseEditing)
#include "test_mouse_editing.moc"
