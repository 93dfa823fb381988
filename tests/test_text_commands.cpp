// Insert, edit, delete and centre through a real main window, with every dialog and message
// answered by the scripted platform.
#include "document/DialogState.h"
#include "editing/frmText.h"
#include "mainwindow/frmMain.h"
#include "shapes/ItemFonts.h"
#include "support/ScriptedPlatform.h"
#include "view/LabelRenderer.h"
#include "view/widgets/LabelView.h"
#include "view/widgets/SelectionFrame.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {
TextItem makeItem(const QString& text, float left, float top, float width, float height) {
    TextItem item;
    item.Text = text;
    item.FontName = QStringLiteral("IPAGothic");
    item.Size = 40;
    item.Left = left;
    item.Top = top;
    item.Width = width;
    item.Height = height;
    return item;
}

// The stored extent is what the view measures for the item at its current size.
void compareWithMeasured(const frmMain& frm, const TextItem& item) {
    const QSizeF extent = ItemFonts::measureText(item, frm.viewSidePx());
    QCOMPARE(item.Width, float(extent.width()));
    QCOMPARE(item.Height, float(extent.height()));
}

QRectF frameRect(const frmMain& frm) {
    return frm.picDoc()->selectionFrame()->rectMm();
}
} // namespace

class TestTextCommands : public QObject {
    Q_OBJECT

private slots:
    void init() {
        platform_ = std::make_unique<ScriptedPlatform>();
        platform_->fonts = {QStringLiteral("IPAGothic"), QStringLiteral("IPAMincho"),
                            QStringLiteral("DejaVu Sans")};
        platform_->defaultFont = QStringLiteral("IPAGothic");
        frm_ = std::make_unique<frmMain>(*platform_);
        frm_->resize(640, 520);
        frm_->show();
        QVERIFY(QTest::qWaitForWindowExposed(frm_.get()));
        QVERIFY(frm_->viewSidePx() > 100);
    }
    void cleanup() {
        QVERIFY2(platform_->unexpected.isEmpty(), qPrintable(platform_->unexpected.join(", ")));
        frm_.reset();
        platform_.reset();
    }

    void insertIntoEmptyLabel() {
        LabelDocument& document = frm_->document();
        platform_->modalActions.push_back([](QDialog* shown) {
            auto* dialog = qobject_cast<frmText*>(shown);
            QVERIFY(dialog);
            dialog->txtText()->setText(QStringLiteral("ディスク"));
            dialog->cmbColor()->setCurrentIndex(12);
            QTest::mouseClick(dialog->cmdOk(), Qt::LeftButton);
        });
        frm_->mnuEditTextIns_Click();

        QCOMPARE(document.itemCount(), 1);
        const TextItem& item = document.item(0);
        QCOMPARE(item.Text, QStringLiteral("ディスク"));
        QCOMPARE(item.FontName, QStringLiteral("IPAGothic"));
        QCOMPARE(item.Size, 40);
        QCOMPARE(item.Color, 12);
        QCOMPARE(item.Left, 0.0f);
        QCOMPARE(item.Top, 0.0f);
        QVERIFY(item.Width > 10 && item.Height > 5);
        compareWithMeasured(*frm_, item);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(document.SelectedText, -1);
        QVERIFY(document.LabelChanged);
        QVERIFY(!frm_->picDoc()->selectionFrame()->isVisible());
    }

    // Insert draws only the new item on the shown image and leaves the selection alone.
    void insertDrawsOnlyTheNewItem() {
        LabelDocument& document = frm_->document();
        document.TextItems.resize(std::size_t(1));
        document.item(0) = makeItem(QStringLiteral("既存"), 60, 60, 20, 8);
        document.SelectedText = 0;
        frm_->RedrawLabel();
        const QImage before = frm_->picDoc()->image();

        platform_->modalActions.push_back([](QDialog* shown) {
            auto* dialog = qobject_cast<frmText*>(shown);
            dialog->txtText()->setText(QStringLiteral("新しい"));
            dialog->cmdOk_Click();
        });
        frm_->mnuEditTextIns_Click();

        QCOMPARE(document.itemCount(), 2);
        QCOMPARE(document.SelectedText, 0);
        QVERIFY(frm_->picDoc()->selectionFrame()->isVisible());
        QCOMPARE(frameRect(*frm_), QRectF(60, 60, 20, 8));

        const QImage after = frm_->picDoc()->image();
        QCOMPARE(after.size(), before.size());
        const TextItem& added = document.item(1);
        const double pxPerMm = after.width() / 122.0;
        const QRect box = QRectF(0, 0, added.Width * pxPerMm, added.Height * pxPerMm)
                              .toAlignedRect()
                              .adjusted(-1, -1, 1, 1);
        int changedInside = 0, changedOutside = 0;
        for (int y = 0; y < after.height(); ++y)
            for (int x = 0; x < after.width(); ++x)
                if (after.pixel(x, y) != before.pixel(x, y))
                    ++(box.contains(x, y) ? changedInside : changedOutside);
        QVERIFY(changedInside > 20);
        QCOMPARE(changedOutside, 0);
    }

    void insertCancelledChangesNothing() {
        platform_->modalActions.push_back([](QDialog* shown) {
            auto* dialog = qobject_cast<frmText*>(shown);
            dialog->txtText()->setText(QStringLiteral("x"));
            dialog->cmdCancel_Click();
        });
        frm_->mnuEditTextIns_Click();
        QCOMPARE(frm_->document().itemCount(), 0);
        QVERIFY(!frm_->document().LabelChanged);
    }

    // A full table is refused before the dialog opens.
    void insertAtHundredItemsIsRefused() {
        LabelDocument& document = frm_->document();
        document.TextItems.resize(std::size_t(MaxTextItems));
        for (int i = 0; i < MaxTextItems; ++i)
            document.item(i) = makeItem(QString::number(i), 1, 1, 5, 5);
        frm_->mnuEditTextIns_Click();
        QCOMPARE(platform_->modalsShown.size(), 0);
        QCOMPARE(platform_->messages.size(), 1);
        QCOMPARE(platform_->messages[0].text,
                 QStringLiteral("文字は100個までしか挿入できません。"));
        QCOMPARE(platform_->messages[0].title, QStringLiteral("文字の挿入"));
        QCOMPARE(platform_->messages[0].buttons, MessageButtons::Ok);
        QCOMPARE(document.itemCount(), MaxTextItems);
        QVERIFY(!document.LabelChanged);
    }

    void withoutSelectionEachCommandSaysSo_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("message");
        QTest::newRow("edit") << 0 << QStringLiteral("編集する文字を選択してください。");
        QTest::newRow("delete") << 1 << QStringLiteral("削除する文字を選択してください。");
        QTest::newRow("centre left-right")
            << 2 << QStringLiteral("移動する文字を選択してください。");
        QTest::newRow("centre top-bottom")
            << 3 << QStringLiteral("移動する文字を選択してください。");
    }
    void withoutSelectionEachCommandSaysSo() {
        QFETCH(int, command);
        QFETCH(QString, message);
        LabelDocument& document = frm_->document();
        document.TextItems.resize(std::size_t(1));
        document.item(0) = makeItem(QStringLiteral("a"), 10, 10, 20, 8);
        const LabelDocument before = document;
        switch (command) {
        case 0:
            frm_->mnuEditTextEdit_Click();
            break;
        case 1:
            frm_->mnuEditTextDel_Click();
            break;
        default:
            frm_->mnuEditTextCenterItem_Click(command - 2);
            break;
        }
        QCOMPARE(platform_->messages.size(), 1);
        QCOMPARE(platform_->messages[0].text, message);
        QCOMPARE(platform_->messages[0].title, QStringLiteral("文字が選択されていません"));
        QCOMPARE(platform_->messages[0].buttons, MessageButtons::Ok);
        QCOMPARE(platform_->modalsShown.size(), 0);
        QCOMPARE(document.itemCount(), 1);
        QCOMPARE(document.item(0), before.item(0));
        QVERIFY(!document.LabelChanged);
    }

    void deleteKeepsTheTableDense() {
        LabelDocument& document = frm_->document();
        const QStringList texts = {"A", "B", "C"};
        document.TextItems.resize(std::size_t(3));
        for (int i = 0; i < 3; ++i)
            document.item(i) = makeItem(texts[i], 10.0f * i, 5, 8, 8);
        document.SelectedText = 0;
        frm_->RedrawLabel();
        frm_->mnuEditTextDel_Click();
        QCOMPARE(document.itemCount(), 2);
        QCOMPARE(document.item(0).Text, QStringLiteral("B"));
        QCOMPARE(document.item(0).Left, 10.0f);
        QCOMPARE(document.item(1).Text, QStringLiteral("C"));
        QCOMPARE(document.SelectedText, -1);
        QVERIFY(document.LabelChanged);
        QVERIFY(!frm_->picDoc()->selectionFrame()->isVisible());

        document.SelectedText = 1;
        frm_->mnuEditTextDel_Click();
        document.SelectedText = 0;
        frm_->mnuEditTextDel_Click();
        QCOMPARE(document.itemCount(), 0);
        QCOMPARE(document.SelectedText, -1);
    }

    void deleteFromAFullTable() {
        LabelDocument& document = frm_->document();
        document.TextItems.resize(std::size_t(MaxTextItems));
        for (int i = 0; i < MaxTextItems; ++i)
            document.item(i) = makeItem(QString::number(i), 1, 1, 5, 5);
        document.SelectedText = 57;
        frm_->mnuEditTextDel_Click();
        QCOMPARE(document.itemCount(), 99);
        QCOMPARE(document.item(56).Text, QStringLiteral("56"));
        QCOMPARE(document.item(57).Text, QStringLiteral("58"));
        QCOMPARE(document.item(98).Text, QStringLiteral("99"));
    }

    void centringUsesTheStoredExtent_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<float>("width");
        QTest::addColumn<float>("height");
        QTest::addColumn<float>("left");
        QTest::addColumn<float>("top");
        QTest::newRow("40 wide") << 0 << 40.0f << 10.0f << 41.0f << 7.0f;
        QTest::newRow("10 high") << 1 << 40.0f << 10.0f << 3.0f << 56.0f;
        QTest::newRow("wider than the label") << 0 << 130.0f << 10.0f << -4.0f << 7.0f;
        QTest::newRow("odd width") << 0 << 33.3f << 10.0f << (122.0f - 33.3f) / 2 << 7.0f;
    }
    void centringUsesTheStoredExtent() {
        QFETCH(int, index);
        QFETCH(float, width);
        QFETCH(float, height);
        QFETCH(float, left);
        QFETCH(float, top);
        LabelDocument& document = frm_->document();
        document.TextItems.resize(std::size_t(1));
        document.item(0) = makeItem(QStringLiteral("中央"), 3, 7, width, height);
        document.SelectedText = 0;
        frm_->mnuEditTextCenterItem_Click(index);
        QCOMPARE(document.item(0).Left, left);
        QCOMPARE(document.item(0).Top, top);
        QCOMPARE(document.item(0).Width, width);
        QCOMPARE(document.SelectedText, 0);
        QVERIFY(document.LabelChanged);
        QCOMPARE(frameRect(*frm_), QRectF(left, top, width, height));
    }

    // Edit fills the dialog from the item (text fully selected), keeps the position and
    // re-measures, so the frame matches the new extent.
    void editingOnlyTheColourKeepsPositionAndRemeasures() {
        LabelDocument& document = frm_->document();
        document.TextItems.resize(std::size_t(1));
        document.item(0) = makeItem(QStringLiteral("ラベル"), 15, 25, 1, 1);
        document.item(0).Color = 2;
        document.SelectedText = 0;
        platform_->modalActions.push_back([](QDialog* shown) {
            auto* dialog = qobject_cast<frmText*>(shown);
            QCOMPARE(dialog->txtText()->text(), QStringLiteral("ラベル"));
            QCOMPARE(dialog->txtText()->selectedText(), QStringLiteral("ラベル"));
            QCOMPARE(dialog->fontName(), QStringLiteral("IPAGothic"));
            QCOMPARE(dialog->txtSize()->text(), QStringLiteral("40"));
            QCOMPARE(dialog->colorIndex(), 2);
            dialog->cmbColor()->setCurrentIndex(9);
            QTest::keyClick(dialog->txtSize(), Qt::Key_Return);
        });
        frm_->mnuEditTextEdit_Click();

        const TextItem& item = document.item(0);
        QCOMPARE(item.Color, 9);
        QCOMPARE(item.Left, 15.0f);
        QCOMPARE(item.Top, 25.0f);
        QCOMPARE(item.Size, 40);
        QCOMPARE(item.Text, QStringLiteral("ラベル"));
        compareWithMeasured(*frm_, item);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(item.Width > 1);
        QCOMPARE(document.SelectedText, 0);
        QVERIFY(document.LabelChanged);
        QCOMPARE(frameRect(*frm_), QRectF(15, 25, item.Width, item.Height));
    }

    void editChangingTextAndSize() {
        LabelDocument& document = frm_->document();
        document.TextItems.resize(std::size_t(1));
        document.item(0) = makeItem(QStringLiteral("短い"), 15, 25, 1, 1);
        document.SelectedText = 0;
        platform_->modalActions.push_back([](QDialog* shown) {
            auto* dialog = qobject_cast<frmText*>(shown);
            // Typing replaces the selected text.
            QTest::keyClicks(dialog->txtText(), QStringLiteral("longer text"));
            dialog->txtSize()->setText(QStringLiteral("20"));
            dialog->cmdOk_Click();
        });
        frm_->mnuEditTextEdit_Click();
        const TextItem& item = document.item(0);
        QCOMPARE(item.Text, QStringLiteral("longer text"));
        QCOMPARE(item.Size, 20);
        compareWithMeasured(*frm_, item);
        if (QTest::currentTestFailed())
            return;
    }

    // An item from a file: a font the list lacks and a size of three digits come back as they
    // were when only the colour changes.
    void editKeepsWhatTheDialogCannotPick() {
        LabelDocument& document = frm_->document();
        document.TextItems.resize(std::size_t(1));
        document.item(0) = makeItem(QStringLiteral("古い"), 15, 25, 1, 1);
        document.item(0).FontName = QStringLiteral("Old Label Font");
        document.item(0).Size = 120;
        document.SelectedText = 0;
        platform_->modalActions.push_back([](QDialog* shown) {
            auto* dialog = qobject_cast<frmText*>(shown);
            dialog->cmbColor()->setCurrentIndex(4);
            dialog->cmdOk_Click();
        });
        frm_->mnuEditTextEdit_Click();
        QCOMPARE(document.item(0).FontName, QStringLiteral("Old Label Font"));
        QCOMPARE(document.item(0).Size, 120);
        QCOMPARE(document.item(0).Color, 4);
    }

    // A font named by another desktop: an installed family under another language's name is
    // shown as installed, a font that is not installed greyed; editing keeps the stored name,
    // and the next insert starts with an installed font (the one shown, or the default).
    void fontsFromAnotherDesktop_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("listed"); // selected in the list; empty: greyed
        QTest::addColumn<QString>("inserted");
        QTest::newRow("installed") << QStringLiteral("IPAMincho") << QStringLiteral("IPAMincho")
                                   << QStringLiteral("IPAMincho");
        QTest::newRow("Japanese name") << QStringLiteral("IPA明朝") << QStringLiteral("IPAMincho")
                                       << QStringLiteral("IPAMincho");
        QTest::newRow("Windows gothic")
            << QStringLiteral("ＭＳ ゴシック") << QString() << QStringLiteral("IPAGothic");
        // Drawn in IPAPMincho, which this list lacks.
        QTest::newRow("Windows font drawn in an unlisted one")
            << QStringLiteral("ＭＳ Ｐ明朝") << QString() << QStringLiteral("IPAGothic");
        QTest::newRow("missing") << QStringLiteral("Old Label Font") << QString()
                                 << QStringLiteral("IPAGothic");
    }
    void fontsFromAnotherDesktop() {
        QFETCH(QString, stored);
        QFETCH(QString, listed);
        QFETCH(QString, inserted);
        LabelDocument& document = frm_->document();
        document.TextItems = {makeItem(QStringLiteral("古い"), 15, 25, 1, 1)};
        document.item(0).FontName = stored;
        document.SelectedText = 0;
        platform_->modalActions.push_back([&](QDialog* shown) {
            auto* dialog = qobject_cast<frmText*>(shown);
            QCOMPARE(dialog->cmbFont()->currentIndex() >= 0, !listed.isEmpty());
            QCOMPARE(dialog->cmbFont()->currentText(), listed);
            QCOMPARE(dialog->cmbFont()->placeholderText(), listed.isEmpty() ? stored : QString());
            dialog->cmbColor()->setCurrentIndex(4);
            dialog->cmdOk_Click();
        });
        frm_->mnuEditTextEdit_Click();
        QCOMPARE(document.item(0).FontName, stored);
        QCOMPARE(document.item(0).Color, 4);

        platform_->modalActions.push_back([&](QDialog* shown) {
            auto* dialog = qobject_cast<frmText*>(shown);
            QCOMPARE(dialog->cmbFont()->currentText(), inserted);
            dialog->txtText()->setText(QStringLiteral("新しい"));
            dialog->cmdOk_Click();
        });
        frm_->mnuEditTextIns_Click();
        QCOMPARE(document.itemCount(), 2);
        QCOMPARE(document.item(1).FontName, inserted);
    }

    void editCancelledChangesNothing() {
        LabelDocument& document = frm_->document();
        document.TextItems.resize(std::size_t(1));
        document.item(0) = makeItem(QStringLiteral("そのまま"), 15, 25, 1, 1);
        document.SelectedText = 0;
        const TextItem before = document.item(0);
        platform_->modalActions.push_back([](QDialog* shown) {
            auto* dialog = qobject_cast<frmText*>(shown);
            dialog->txtText()->setText(QStringLiteral("changed"));
            dialog->close();
        });
        frm_->mnuEditTextEdit_Click();
        QCOMPARE(document.item(0), before);
        QVERIFY(!document.LabelChanged);
    }

    // The Insert and Enter keys reach the commands every time they are pressed, also when the
    // same control receives them one after the other.
    void keysReachTheCommandsEachTime() {
        LabelDocument& document = frm_->document();
        document.TextItems.resize(std::size_t(1));
        document.item(0) = makeItem(QStringLiteral("鍵"), 10, 10, 20, 8);
        document.SelectedText = 0;
        for (int round = 0; round < 2; ++round) {
            platform_->modalActions.push_back([](QDialog* shown) { shown->close(); });
            QTest::keyClick(frm_.get(), Qt::Key_Insert);
            platform_->modalActions.push_back([](QDialog* shown) { shown->close(); });
            QTest::keyClick(frm_.get(), Qt::Key_Return);
        }
        QCOMPARE(platform_->modalsShown.size(), 4);
        QVERIFY(platform_->modalActions.empty());
    }

private:
    std::unique_ptr<ScriptedPlatform> platform_;
    std::unique_ptr<frmMain> frm_;
};

QTEST_MAIN(TestTextCommands)
#include "test_text_commands.moc"
