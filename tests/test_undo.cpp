// The undo history on a label with no window: every kind of step taken back and made again,
// merging, the saved point, and the limits.
#include "commands/CentreTextStep.h"
#include "commands/DeleteTextStep.h"
#include "commands/EditTextStep.h"
#include "commands/FitBackgroundStep.h"
#include "commands/InsertTextStep.h"
#include "commands/InsertTracksStep.h"
#include "commands/LabelHistory.h"
#include "commands/MoveBackgroundStep.h"
#include "commands/MoveTextStep.h"
#include "commands/OpenBackgroundStep.h"
#include "commands/ZoomStep.h"
#include "support/FakeSurface.h"

#include <QtTest>
#include <functional>

namespace {
using Apply = std::function<void(OpenLabel&, LabelSurface&, LabelHistory&)>;

TextItem item(const QString& text, float left, float top) {
    TextItem result;
    result.Text = text;
    result.Left = left;
    result.Top = top;
    result.Width = 30;
    result.Height = 8;
    result.Size = 12;
    result.FontName = QStringLiteral("IPAGothic");
    return result;
}

Picture picture(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return Picture::fromBitmap(image);
}

// Everything a step may change, LabelChanged aside (the history owns that).
struct State {
    LabelDocument document;
    qint64 picture;
    int scaleStep;
    double zoomBaseMm;
    QString backPath;

    static State of(const OpenLabel& label) {
        State state{label.document, label.picture.key(), label.scaleStep, label.zoomBaseMm,
                    label.backgroundDialog.fileName};
        state.document.LabelChanged = false;
        return state;
    }
    bool operator==(const State&) const = default;
};

// The surface shows the label (it listens to it); steps change the label alone.
template <typename Step, typename... Args>
void push(OpenLabel& label, LabelSurface&, LabelHistory& history, Args... args) {
    history.push(std::make_unique<Step>(label, args...));
}

TextItem movedTo(const TextItem& item, float left, float top) {
    TextItem moved = item;
    moved.Left = left;
    moved.Top = top;
    return moved;
}
} // namespace

Q_DECLARE_METATYPE(Apply)

class TestUndo : public QObject {
    Q_OBJECT

private slots:
    void init() {
        label_ = std::make_unique<OpenLabel>();
        LabelDocument& document = label_->document;
        for (int i = 0; i < 3; ++i)
            document.insertItem(i, item(QStringLiteral("項目%1").arg(i), 10 + i, 20 + 10 * i));
        document.SelectedText = 1;
        document.BackLeft = 5;
        document.BackTop = 6;
        document.BackWidth = document.BackHeight = BackgroundScale::shownSideMm(20);
        label_->picture = picture(400, 300, Qt::red);
        label_->scaleStep = 20;
        label_->backgroundDialog.fileName = QStringLiteral("/pictures/old.bmp");
        history_ = std::make_unique<LabelHistory>(*label_);
        label_->addListener(&surface_);
    }

    // Each step acts on the selected item (1), as the commands do.
    void everyStepUndoesAndRedoes_data() {
        QTest::addColumn<Apply>("apply");
        QTest::addColumn<QString>("name");
        QTest::newRow("insert") << Apply([](OpenLabel& l, LabelSurface& s, LabelHistory& h) {
            push<InsertTextStep>(l, s, h, item(QStringLiteral("新"), 1, 2));
        }) << "文字の挿入";
        QTest::newRow("track list") << Apply([](OpenLabel& l, LabelSurface& s, LabelHistory& h) {
            push<InsertTracksStep>(l, s, h,
                                   std::vector<TextItem>{item(QStringLiteral("1. 海"), 80, 40),
                                                         item(QStringLiteral("2. 空"), 80, 46)});
        }) << "曲目リストの挿入";
        QTest::newRow("edit") << Apply([](OpenLabel& l, LabelSurface& s, LabelHistory& h) {
            push<EditTextStep>(l, s, h, 1, item(QStringLiteral("直した"), 40, 50));
        }) << "文字の編集";
        QTest::newRow("delete") << Apply([](OpenLabel& l, LabelSurface& s, LabelHistory& h) {
            push<DeleteTextStep>(l, s, h, 1);
        }) << "文字の削除";
        QTest::newRow("centre across") << Apply([](OpenLabel& l, LabelSurface& s, LabelHistory& h) {
            push<CentreTextStep>(l, s, h, 1, CentreAxis::Across);
        }) << "文字の左右中央揃え";
        QTest::newRow("centre down") << Apply([](OpenLabel& l, LabelSurface& s, LabelHistory& h) {
            push<CentreTextStep>(l, s, h, 1, CentreAxis::Down);
        }) << "文字の上下中央揃え";
        QTest::newRow("text drag") << Apply([](OpenLabel& l, LabelSurface& s, LabelHistory& h) {
            push<MoveTextStep>(l, s, h, 1, movedTo(l.document.item(1), 70, 80),
                               MoveTextStep::Gesture::Drag, qint64(0));
        }) << "文字の移動";
        QTest::newRow("background drag")
            << Apply([](OpenLabel& l, LabelSurface& s, LabelHistory& h) {
                   const BackgroundDragAnchor anchor{0, 0, l.document.BackLeft, l.document.BackTop};
                   l.document.dragBackground(anchor, -10, -4); // as the pointer moved it
                   push<MoveBackgroundStep>(l, s, h, anchor);
               })
            << "背景の移動";
        QTest::newRow("open background")
            << Apply([](OpenLabel& l, LabelSurface& s, LabelHistory& h) {
                   push<OpenBackgroundStep>(l, s, h, picture(50, 60, Qt::blue),
                                            QStringLiteral("/pictures/new.png"));
               })
            << "背景を開く";
        QTest::newRow("zoom") << Apply([](OpenLabel& l, LabelSurface& s, LabelHistory& h) {
            push<ZoomStep>(l, s, h, -70, qint64(0), 0);
        }) << "背景の拡大縮小";
        QTest::newRow("fit") << Apply([](OpenLabel& l, LabelSurface& s, LabelHistory& h) {
            push<FitBackgroundStep>(l, s, h);
        }) << "背景を全体に合わせる";
    }
    void everyStepUndoesAndRedoes() {
        QFETCH(Apply, apply);
        QFETCH(QString, name);
        const State before = State::of(*label_);
        apply(*label_, surface_, *history_);
        const State after = State::of(*label_);
        QVERIFY(!(after == before));
        QVERIFY(label_->document.LabelChanged);
        QCOMPARE(history_->undoText(), name);

        surface_.redraws = surface_.newItemsDrawn = 0;
        history_->undo();
        QVERIFY(State::of(*label_) == before);
        QCOMPARE(surface_.redraws, 1);
        QCOMPARE(surface_.shownStep, before.scaleStep == 20 && name.startsWith("背景") ? 20 : 0);
        QVERIFY(!label_->document.LabelChanged); // back at the state it was opened in
        QCOMPARE(history_->redoText(), name);

        history_->redo();
        QVERIFY(State::of(*label_) == after);
        QCOMPARE(surface_.redraws + surface_.newItemsDrawn,
                 2); // an insert draws the new item alone
        QVERIFY(label_->document.LabelChanged);
    }

    // Fitting fills the label with the shorter side, centred along the longer one, at step 0; the
    // zoom then scales about the fitted side and comes back to it.
    void fitAndZoomAboutIt_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("landscape") << 4000 << 3000;
        QTest::newRow("portrait") << 3000 << 4000;
        // 800 pixels are 211.666… mm, which single precision rounds up.
        QTest::newRow("portrait, side rounding up") << 800 << 1200;
        QTest::newRow("landscape, side rounding up") << 1200 << 800;
    }
    void fitAndZoomAboutIt() {
        QFETCH(int, width);
        QFETCH(int, height);
        label_->picture = picture(width, height, Qt::green);
        const QSizeF natural = label_->picture.naturalSizeMm();
        const double shorter = std::min(natural.width(), natural.height());
        push<FitBackgroundStep>(*label_, surface_, *history_);
        const LabelDocument& document = label_->document;
        const float side = document.BackWidth;
        QVERIFY(side <= shorter && shorter - side < 1e-4);
        QCOMPARE(document.BackHeight, side);
        QVERIFY(document.backgroundOnPicture(natural));
        QVERIFY(std::abs(document.BackLeft - (natural.width() - shorter) / 2) < 1e-4);
        QVERIFY(std::abs(document.BackTop - (natural.height() - shorter) / 2) < 1e-4);
        QCOMPARE(label_->scaleStep, 0);
        push<ZoomStep>(*label_, surface_, *history_, 100, qint64(0), 0);
        QCOMPARE(document.BackWidth, side / 2);
        push<ZoomStep>(*label_, surface_, *history_, 0, qint64(5000), 0);
        QCOMPARE(document.BackWidth, side);
    }

    // Zoom changes merge when they belong to one drag of the thumb or come within a second.
    void zoomChangesMerge_data() {
        QTest::addColumn<qint64>("secondMs");
        QTest::addColumn<int>("firstGesture");
        QTest::addColumn<int>("secondGesture");
        QTest::addColumn<int>("steps");
        QTest::newRow("within a second") << qint64(1000) << 0 << 0 << 1;
        QTest::newRow("later") << qint64(1001) << 0 << 0 << 2;
        QTest::newRow("one thumb drag") << qint64(9000) << 3 << 3 << 1;
        QTest::newRow("two thumb drags") << qint64(9000) << 3 << 4 << 2;
    }
    void zoomChangesMerge() {
        QFETCH(qint64, secondMs);
        QFETCH(int, firstGesture);
        QFETCH(int, secondGesture);
        QFETCH(int, steps);
        const State before = State::of(*label_);
        push<ZoomStep>(*label_, surface_, *history_, 30, qint64(0), firstGesture);
        push<ZoomStep>(*label_, surface_, *history_, 40, secondMs, secondGesture);
        QCOMPARE(history_->count(), steps);
        history_->undo();
        QCOMPARE(label_->scaleStep, steps == 1 ? 20 : 30);
        if (steps == 1)
            QVERIFY(State::of(*label_) == before);
    }

    void nudgesOfOneItemMerge() {
        for (qint64 ms : {0, 300, 600, 2000})
            QVERIFY(nudge(0, ms));
        QCOMPARE(history_->count(), 2);
        history_->undo();
        QCOMPARE(label_->document.item(0).Left, 11.5f);
        history_->undo();
        QCOMPARE(label_->document.item(0).Left, 10.0f);
    }

    // Undo or redo that arrives at the saved state clears LabelChanged; nothing merges across it.
    void savedPointRule() {
        QVERIFY(nudge(0, 0));
        history_->markSaved();
        label_->document.LabelChanged = false;
        QVERIFY(nudge(0, 100)); // would merge, but the saved point lies between
        QCOMPARE(history_->count(), 2);
        history_->undo();
        QVERIFY(!label_->document.LabelChanged);
        history_->undo();
        QVERIFY(label_->document.LabelChanged);
        history_->redo();
        QVERIFY(!label_->document.LabelChanged);
        // A new step after undoing past the saved point makes it unreachable.
        history_->undo();
        QVERIFY(nudge(1, 5000));
        history_->undo();
        QVERIFY(label_->document.LabelChanged);
    }

    // At most 100 steps and 256 MB of pictures, the oldest dropped first; a picture shared by
    // several steps counts once.
    void limits() {
        for (int i = 0; i < 150; ++i)
            QVERIFY(nudge(i % 3, qint64(i) * 5000));
        QCOMPARE(history_->count(), LabelHistory::MaxSteps);

        history_->clear();
        const Picture large = picture(6000, 4000, Qt::gray); // about 92 MB
        for (int i = 0; i < 4; ++i) {
            push<OpenBackgroundStep>(*label_, surface_, *history_,
                                     i % 2 ? picture(8, 8, Qt::red) : large, QString());
            push<ZoomStep>(*label_, surface_, *history_, i * 10, qint64(i) * 5000, 0);
        }
        QCOMPARE(history_->count(), 8);
        QVERIFY(history_->pictureBytes() < 2 * large.memoryBytes());
        const Picture other = picture(6000, 4000, Qt::white);
        const Picture third = picture(6000, 4000, Qt::black);
        push<OpenBackgroundStep>(*label_, surface_, *history_, other, QString());
        push<OpenBackgroundStep>(*label_, surface_, *history_, third, QString());
        QVERIFY(history_->pictureBytes() <= LabelHistory::MaxPictureBytes);
        QCOMPARE(history_->count(), 10);
        push<OpenBackgroundStep>(*label_, surface_, *history_, picture(6000, 4000, Qt::cyan),
                                 QString());
        QVERIFY(history_->pictureBytes() <= LabelHistory::MaxPictureBytes);
        QVERIFY(history_->count() < 11);
    }

private:
    bool nudge(int index, qint64 atMs) {
        const TextItem& moved = label_->document.item(index);
        push<MoveTextStep>(*label_, surface_, *history_, index,
                           movedTo(moved, moved.Left + 0.5f, moved.Top),
                           MoveTextStep::Gesture::Nudge, atMs);
        return true;
    }

    std::unique_ptr<OpenLabel> label_;
    FakeSurface surface_;
    std::unique_ptr<LabelHistory> history_;
};

QTEST_MAIN(TestUndo)
#include "test_undo.moc"
