// Text turned and along the disc: where the renderer puts the ink, the hit test and the drag with
// real mouse events, the check before printing, and the text dialog's live preview and undo.
#include "commands/LabelHistory.h"
#include "editing/TextCommands.h"
#include "editing/frmText.h"
#include "mainwindow/frmMain.h"
#include "shapes/Centring.h"
#include "shapes/ItemPlacement.h"
#include "shapes/ItemShape.h"
#include "support/FakeSurface.h"
#include "support/ScriptedPlatform.h"
#include "view/DiscRangeCheck.h"
#include "view/LabelRenderer.h"
#include "view/widgets/LabelView.h"
#include "view/widgets/SelectionFrame.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QtTest>
#include <cmath>
#include <numbers>

namespace {

constexpr int PxPerMm = 4;
constexpr int Side = 122 * PxPerMm;

TextItem arcItem(const QString& text, float radius, float angle, ArcSide side, ArcAlign align,
                 float spacing = 0) {
    TextItem item;
    item.Text = text;
    item.FontName = QStringLiteral("IPAGothic");
    item.Size = 16;
    item.layout.kind = TextLayoutKind::Arc;
    item.layout.radiusMm = radius;
    item.layout.angleDeg = angle;
    item.layout.side = side;
    item.layout.align = align;
    item.layout.spacingMm = spacing;
    return item;
}

// Where the ink of a rendered label lies about the disc's centre: its mean distance, the angles
// (degrees clockwise from 12 o'clock, about `towardDeg` so that they do not wrap) of its first
// and last pixels, and the angle of its weight.
struct InkSpread {
    double meanRadiusMm = 0;
    double fromDeg = 0;
    double toDeg = 0;
    double centroidDeg = 0;
    QRectF boundsMm;
};

InkSpread inkOf(const TextItem& item, double towardDeg) {
    QImage image(Side, Side, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    LabelRenderer::drawTextItem(painter, Geometry::screen(Side), item);
    painter.end();
    InkSpread spread{0, 1e9, -1e9, 0, QRectF()};
    double weight = 0;
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x) {
            if (qGray(image.pixel(x, y)) > 128)
                continue;
            const double dx = (x + 0.5) / PxPerMm - 61, dy = (y + 0.5) / PxPerMm - 61;
            double angle = std::atan2(dx, -dy) * 180 / std::numbers::pi - towardDeg;
            angle = std::remainder(angle, 360.0) + towardDeg;
            spread.meanRadiusMm += std::hypot(dx, dy);
            spread.fromDeg = std::min(spread.fromDeg, angle);
            spread.toDeg = std::max(spread.toDeg, angle);
            spread.centroidDeg += angle;
            spread.boundsMm |= QRectF(dx + 61, dy + 61, 1.0 / PxPerMm, 1.0 / PxPerMm);
            ++weight;
        }
    spread.meanRadiusMm /= weight;
    spread.centroidDeg /= weight;
    return spread;
}

LabelDocument documentWith(const TextItem& item) {
    LabelDocument document;
    document.TextItems = {item};
    return document;
}

} // namespace

class TestTextLayouts : public QObject {
    Q_OBJECT

private slots:
    // Outside text stands on its circle (ink beyond the radius) and reads clockwise; inside text
    // hangs under it and reads counter-clockwise; the anchor sits at the text's start, middle or
    // end. "■　■■" has more ink at its end, so its weight lies toward the end of its reading.
    void arcsPutTheirInkWhereTheySay_data() {
        QTest::addColumn<TextItem>("item");
        QTest::addColumn<int>("reading"); // +1 clockwise, -1 counter-clockwise
        QTest::addColumn<double>("anchorShare"); // the anchor's place within the ink, 0..1
        const QString text = QStringLiteral("■　■■");
        QTest::newRow("outside, centre")
            << arcItem(text, 45, 0, ArcSide::Outside, ArcAlign::Centre) << 1 << 0.5;
        QTest::newRow("outside, start")
            << arcItem(text, 45, 30, ArcSide::Outside, ArcAlign::Start) << 1 << 0.0;
        QTest::newRow("outside, end")
            << arcItem(text, 45, -30, ArcSide::Outside, ArcAlign::End) << 1 << 1.0;
        QTest::newRow("inside, centre")
            << arcItem(text, 45, 180, ArcSide::Inside, ArcAlign::Centre) << -1 << 0.5;
        QTest::newRow("inside, start")
            << arcItem(text, 30, 150, ArcSide::Inside, ArcAlign::Start) << -1 << 0.0;
        QTest::newRow("auto at the top reads outside")
            << arcItem(text, 45, 60, ArcSide::Auto, ArcAlign::Centre) << 1 << 0.5;
        QTest::newRow("auto at the bottom reads inside")
            << arcItem(text, 45, -120, ArcSide::Auto, ArcAlign::Centre) << -1 << 0.5;
    }
    void arcsPutTheirInkWhereTheySay() {
        QFETCH(TextItem, item);
        QFETCH(int, reading);
        QFETCH(double, anchorShare);
        const InkSpread ink = inkOf(item, item.layout.angleDeg);
        const bool outside = reading > 0;
        // 16-point ink reaches about 5 mm from the baseline.
        QVERIFY2(outside ? ink.meanRadiusMm > item.layout.radiusMm + 0.5
                         : ink.meanRadiusMm < item.layout.radiusMm - 0.5,
                 qPrintable(QString::number(ink.meanRadiusMm)));
        const double span = ink.toDeg - ink.fromDeg;
        const double startDeg = reading > 0 ? ink.fromDeg : ink.toDeg;
        const double anchorAt = startDeg + reading * anchorShare * span;
        QVERIFY2(std::abs(anchorAt - item.layout.angleDeg) < 2,
                 qPrintable(QStringLiteral("ink %1..%2").arg(ink.fromDeg).arg(ink.toDeg)));
        const double middle = (ink.fromDeg + ink.toDeg) / 2;
        QVERIFY(reading * (ink.centroidDeg - middle) > 1);
    }

    // Extra spacing lengthens the arc by the gaps between the glyphs, measured where they are.
    void spacingWidensTheArc() {
        const QString text = QStringLiteral("ABCDE");
        const InkSpread tight = inkOf(arcItem(text, 40, 0, ArcSide::Outside, ArcAlign::Centre), 0);
        const InkSpread spaced =
            inkOf(arcItem(text, 40, 0, ArcSide::Outside, ArcAlign::Centre, 3), 0);
        const double addedDeg = (spaced.toDeg - spaced.fromDeg) - (tight.toDeg - tight.fromDeg);
        const double expectedDeg = 4 * 3 / (40 + 2.5) * 180 / std::numbers::pi;
        QVERIFY2(std::abs(addedDeg - expectedDeg) < 2, qPrintable(QString::number(addedDeg)));
    }

    // A straight item turned by 90 degrees stands upright about the centre of its box.
    void turnedTextStandsAboutItsCentre() {
        TextItem item;
        item.Text = QStringLiteral("■■■■■■");
        item.FontName = QStringLiteral("IPAGothic");
        item.Size = 16;
        item.Left = 40;
        item.Top = 50;
        item.Width = 34;
        item.Height = 6;
        item.layout.rotationDeg = 90;
        const QRectF ink = inkOf(item, 0).boundsMm;
        QVERIFY2(ink.height() > 4 * ink.width(), qPrintable(QStringLiteral("%1 x %2")
                                                                .arg(ink.width())
                                                                .arg(ink.height())));
        QVERIFY(std::abs(ink.center().x() - 57) < 1.5);
        QVERIFY(std::abs(ink.center().y() - 53) < 1.5);
        // The shape and the check see the same turn.
        const QRectF shape = ItemShape::of(item)->inkMm().boundingRect();
        QVERIFY(std::abs(shape.height() - ink.height()) < 1);
    }

    // A vertical item runs down from its top-left corner in a thin column that its record's box
    // covers; a press on it selects it, and its centring goes by its ink.
    void verticalColumnStandsInItsBox() {
        TextItem item;
        item.Text = QStringLiteral("ーーーー");
        item.FontName = QStringLiteral("IPAGothic");
        item.Size = 16;
        item.Left = 20;
        item.Top = 30;
        item.layout.kind = TextLayoutKind::Vertical;
        ItemPlacement::measure(item, 500);
        const QRectF ink = inkOf(item, 0).boundsMm;
        QVERIFY2(ink.height() > 4 * ink.width(), qPrintable(QStringLiteral("%1 x %2")
                                                                .arg(ink.width())
                                                                .arg(ink.height())));
        QVERIFY(item.boxMm().adjusted(-0.5, -0.5, 0.5, 0.5).contains(ink));
        QVERIFY(item.Height > 4 * 5.6 * 0.9); // four cells of a 16-point em
        const QPointF middle = item.boxMm().center();
        QVERIFY(ItemShape::of(item)->contains(middle));
        QVERIFY(!ItemShape::of(item)->contains(middle + QPointF(item.Width, 0)));
        const TextItem centred = Centring::centred(item, CentreAxis::Across);
        QVERIFY(std::abs(inkOf(centred, 0).boundsMm.center().x() - 61) < 0.5);
    }

    // An arc crossing the 58 mm circle is found by its ink; the same text well inside is not.
    void checkFindsAnArcOffTheRing_data() {
        QTest::addColumn<float>("radius");
        QTest::addColumn<bool>("off");
        QTest::newRow("on the ring") << 45.0f << false;
        QTest::newRow("crossing 58 mm") << 55.0f << true;
        QTest::newRow("inside toward the hub") << 21.0f << true;
    }
    void checkFindsAnArcOffTheRing() {
        QFETCH(float, radius);
        QFETCH(bool, off);
        const TextItem item = arcItem(QStringLiteral("Track list"), radius, 0,
                                      radius > 30 ? ArcSide::Outside : ArcSide::Inside,
                                      ArcAlign::Centre);
        QCOMPARE(DiscRangeCheck::check(documentWith(item)).size(), off ? 1u : 0u);
    }

    // A press hits an arc only on its text; dragging it turns it about the centre with the
    // pointer, and the frame outlines the band it takes; undo puts it back.
    void arcIsHitAndDraggedAroundTheDisc() {
        ScriptedPlatform platform;
        frmMain window(platform);
        window.resize(700, 600);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        LabelDocument& document = window.document();
        document.TextItems = {
            arcItem(QStringLiteral("■■■■■■"), 45, 0, ArcSide::Outside, ArcAlign::Centre)};
        window.RedrawLabel();
        LabelView* view = window.picDoc();
        const auto at = [view](double xMm, double yMm) {
            return view->toPixels(QPointF(xMm, yMm)).toPoint();
        };
        // The chord under the arc holds no text.
        QTest::mouseClick(view, Qt::LeftButton, {}, at(61, 20));
        QCOMPARE(document.SelectedText, -1);

        QTest::mousePress(view, Qt::LeftButton, {}, at(62.5, 61 - 47.5));
        QCOMPARE(document.SelectedText, 0);
        const QRectF band = view->selectionFrame()->rectMm();
        QVERIFY2(band.top() > 8 && band.top() < 12 && band.width() > 20 && band.width() < 40,
                 qPrintable(QStringLiteral("%1 %2").arg(band.top()).arg(band.width())));
        // A quarter turn clockwise, 2 mm further out.
        const QPoint to = at(61 + 49.5, 62.5);
        QTest::mouseMove(view, to);
        QTest::mouseRelease(view, Qt::LeftButton, {}, to);
        const TextLayout& moved = document.item(0).layout;
        QVERIFY2(std::abs(moved.angleDeg - 90) < 1.5, qPrintable(QString::number(moved.angleDeg)));
        QVERIFY2(std::abs(moved.radiusMm - 47) < 1, qPrintable(QString::number(moved.radiusMm)));
        QVERIFY(view->selectionFrame()->rectMm().left() > 100);
        // The record's straight placement went along, centred on the arc's middle.
        QVERIFY(document.item(0).Left > 95);

        window.history().undo();
        QCOMPARE(document.item(0).layout.angleDeg, 0.0f);
    }

    // Centring an arc sends its middle to 12 o'clock (outside) or 6 o'clock (inside); down is
    // not offered for it.
    void centringAnArc() {
        TextItem item = arcItem(QStringLiteral("abc"), 40, 75, ArcSide::Auto, ArcAlign::Start);
        QCOMPARE(Centring::centred(item, CentreAxis::Across).layout.angleDeg, 0.0f);
        QCOMPARE(Centring::centred(item, CentreAxis::Across).layout.align, ArcAlign::Centre);
        item.layout.angleDeg = -140;
        QCOMPARE(Centring::centred(item, CentreAxis::Across).layout.angleDeg, 180.0f);
        QVERIFY(!Centring::canCentre(item, CentreAxis::Down));
    }

    // The dialog shows its result on the label as the user changes it, in place of the item it
    // edits, and OK makes one 文字の編集 step that undo takes back.
    void dialogPreviewsTheLayoutAndEditsInOneStep() {
        ScriptedPlatform platform;
        FakeSurface surface;
        OpenLabel label;
        label.addListener(&surface);
        LabelHistory history(label);
        TextItem straight;
        straight.Text = QStringLiteral("Summer Drive Mix");
        straight.FontName = QStringLiteral("DejaVu Sans");
        straight.Size = 16;
        label.document.TextItems = {straight};
        label.document.SelectedText = 0;
        TextCommands commands(LabelContext{platform, nullptr, label, surface}, history);
        platform.modalActions.push_back([&](QDialog* shown) {
            auto* dialog = qobject_cast<frmText*>(shown);
            dialog->optLayout(TextLayoutKind::Arc)->setChecked(true);
            dialog->spnRadius()->setValue(52);
            QCOMPARE(surface.previewItems.size(), std::size_t(1));
            QCOMPARE(surface.previewItems[0].layout.kind, TextLayoutKind::Arc);
            QCOMPARE(surface.previewItems[0].layout.radiusMm, 52.0f);
            QCOMPARE(surface.previewReplacing, 0);
            dialog->cmdOk_Click();
        });
        commands.mnuEditTextEdit_Click();
        QVERIFY(surface.previewItems.empty());
        QCOMPARE(label.document.item(0).layout.kind, TextLayoutKind::Arc);
        QCOMPARE(history.undoText(), QStringLiteral("文字の編集"));
        history.undo();
        QCOMPARE(label.document.item(0), straight);
    }
};

QTEST_MAIN(TestTextLayouts)
#include "test_text_layouts.moc"
