// The text settings dialog: its controls, the size rule, its keys, and the refusals of texts a
// document file cannot hold.
#include "document/DialogState.h"
#include "editing/SizeRule.h"
#include "editing/frmText.h"
#include "mainwindow/frmMain.h"
#include "support/ScriptedPlatform.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>
#include <limits>

namespace {
const QStringList Fonts = {QStringLiteral("IPAGothic"), QStringLiteral("IPAMincho"),
                           QStringLiteral("DejaVu Sans")};

void retype(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}
} // namespace

class TestFrmText : public QObject {
    Q_OBJECT

private slots:
    void init() {
        platform_ = std::make_unique<ScriptedPlatform>();
        platform_->fonts = Fonts;
        platform_->defaultFont = QStringLiteral("IPAMincho");
        dialog_ = std::make_unique<frmText>(*platform_, nullptr);
        Variable::DialogCancel = false;
    }
    void cleanup() {
        dialog_.reset();
        platform_.reset();
    }

    void startsWithControlsAndDefaults() {
        frmText& dialog = *dialog_;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("文字設定"));
        const QStringList captions = {"テキスト", "フォント", "サイズ", "色"};
        for (int index = 0; index < 4; ++index)
            QCOMPARE(dialog.lblText(index)->text(), captions[index]);
        QCOMPARE(dialog.cmdOk()->text(), QStringLiteral("OK"));
        QCOMPARE(dialog.cmdCancel()->text(), QStringLiteral("キャンセル"));

        const QStringList colours = {
            "黒",       "青",           "緑",       "シアン",         "赤",
            "マゼンタ", "黄",           "白",       "灰色",           "明るい青",
            "明るい緑", "明るいシアン", "明るい赤", "明るいマゼンタ", "明るい黄",
            "明るい白"};
        QCOMPARE(dialog.cmbColor()->count(), colours.size());
        for (int index = 0; index < colours.size(); ++index)
            QCOMPARE(dialog.cmbColor()->itemText(index), colours[index]);
        QCOMPARE(dialog.colorIndex(), 0);

        QCOMPARE(dialog.cmbFont()->count(), Fonts.size());
        QCOMPARE(dialog.cmbFont()->currentText(), QStringLiteral("IPAMincho"));
        QCOMPARE(dialog.fontName(), QStringLiteral("IPAMincho"));
        QCOMPARE(dialog.txtSize()->text(), QStringLiteral("40"));
        QVERIFY(dialog.txtText()->text().isEmpty());
        QVERIFY(!dialog.txtSize()->testAttribute(Qt::WA_InputMethodEnabled));
        QVERIFY(dialog.txtText()->testAttribute(Qt::WA_InputMethodEnabled));
    }

    // Tab runs text, size, colour, OK, Cancel and only then the font list.
    void tabOrderLeavesTheFontListLast() {
        frmText& dialog = *dialog_;
        const QList<QWidget*> expected = {dialog.txtText(), dialog.txtSize(),   dialog.cmbColor(),
                                          dialog.cmdOk(),   dialog.cmdCancel(), dialog.cmbFont()};
        QList<QWidget*> order;
        QWidget* widget = dialog.txtText();
        do {
            if (expected.contains(widget) && !order.contains(widget))
                order << widget;
            widget = widget->nextInFocusChain();
        } while (widget != dialog.txtText());
        QCOMPARE(order, expected);
    }

    void sizeRuleOnOk_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("points");
        QTest::addColumn<QString>("shown");
        QTest::newRow("4") << "4" << 40 << "40";
        QTest::newRow("5") << "5" << 5 << "5";
        QTest::newRow("99") << "99" << 99 << "99";
        QTest::newRow("-9") << "-9" << 40 << "40";
        QTest::newRow("letters") << "ab" << 40 << "40";
        QTest::newRow("empty") << "" << 40 << "40";
        QTest::newRow(".5") << ".5" << 40 << "40";
        QTest::newRow("9.") << "9." << 9 << "9.";
        QTest::newRow("blank 7") << " 7" << 7 << " 7";
        QTest::newRow("0") << "0" << 40 << "40";
    }
    void sizeRuleOnOk() {
        QFETCH(QString, typed);
        QFETCH(int, points);
        QFETCH(QString, shown);
        frmText& dialog = *dialog_;
        dialog.show();
        dialog.txtText()->setText(QStringLiteral("あ"));
        retype(dialog.txtSize(), typed);
        QCOMPARE(dialog.txtSize()->text(), typed);
        QTest::mouseClick(dialog.cmdOk(), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(Variable::DialogCancel, false);
        QCOMPARE(dialog.txtSize()->text(), shown);
        QCOMPARE(dialog.sizePoints(), points);
        QVERIFY(platform_->messages.isEmpty());
    }

    void sizeRuleReadsTheLeadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("points");
        QTest::newRow("half to even down") << "2.5" << 2;
        QTest::newRow("half to even up") << "3.5" << 4;
        QTest::newRow("negative half") << "-2.5" << -2;
        QTest::newRow("above half") << "2.51" << 3;
        QTest::newRow("plus sign") << "+6" << 6;
        QTest::newRow("stops at letter") << "12x5" << 12;
        QTest::newRow("no exponent") << "1e3" << 1;
        QTest::newRow("second point stops") << "1.2.3" << 1;
        QTest::newRow("blanks inside") << "1 2" << 12;
        QTest::newRow("sign after digit stops") << "3-4" << 3;
        QTest::newRow("sign alone") << "-" << 0;
        QTest::newRow("huge") << "99999999999" << std::numeric_limits<std::int32_t>::max();
        QTest::newRow("huge negative")
            << "-99999999999" << std::numeric_limits<std::int32_t>::min();
        QTest::newRow("very long")
            << QString(400, u'9') << std::numeric_limits<std::int32_t>::max();
    }
    void sizeRuleReadsTheLeadingNumber() {
        QFETCH(QString, text);
        QFETCH(int, points);
        QCOMPARE(SizeRule::sizePoints(text), points);
    }

    // Two characters can be typed; a longer size a caller puts there is kept as it is.
    void sizeFieldTakesTwoTypedCharacters() {
        frmText& dialog = *dialog_;
        retype(dialog.txtSize(), QStringLiteral("123"));
        QCOMPARE(dialog.txtSize()->text(), QStringLiteral("12"));
        QCOMPARE(dialog.txtSize()->maxLength(), 2);

        dialog.setSizeText(QStringLiteral("120"));
        QCOMPARE(dialog.txtSize()->text(), QStringLiteral("120"));
        dialog.txtSize()->end(false);
        QTest::keyClick(dialog.txtSize(), Qt::Key_5);
        QCOMPARE(dialog.txtSize()->text(), QStringLiteral("120"));
        dialog.txtText()->setText(QStringLiteral("x"));
        dialog.show();
        dialog.cmdOk_Click();
        QCOMPARE(dialog.sizePoints(), 120);
        QCOMPARE(dialog.txtSize()->text(), QStringLiteral("120"));

        // Once shortened, the field is back to two typed characters.
        QTest::keyClick(dialog.txtSize(), Qt::Key_Backspace);
        QTest::keyClick(dialog.txtSize(), Qt::Key_7);
        QCOMPARE(dialog.txtSize()->text(), QStringLiteral("12"));
    }

    // Enter confirms from any control, with the empty-text check, and never reaches the field.
    void enterActsAsOk() {
        frmText& dialog = *dialog_;
        dialog.show();
        Variable::DialogCancel = true;
        QTest::keyClick(dialog.txtText(), Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QCOMPARE(Variable::DialogCancel, true);
        QCOMPARE(platform_->messages.size(), 1);
        QCOMPARE(platform_->messages[0].text, QStringLiteral("テキストが書かれていません。"));
        QCOMPARE(platform_->messages[0].title, QStringLiteral("文字の設定"));
        QCOMPARE(platform_->messages[0].buttons, MessageButtons::Ok);

        QTest::keyClicks(dialog.txtText(), QStringLiteral("abc"));
        QTest::keyClick(dialog.txtSize(), Qt::Key_Enter);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(Variable::DialogCancel, false);
        QCOMPARE(dialog.txtText()->text(), QStringLiteral("abc"));
        QCOMPARE(dialog.txtSize()->text(), QStringLiteral("40"));

        // Even with the focus on Cancel, Enter is OK.
        dialog.show();
        QCOMPARE(Variable::DialogCancel, true);
        QTest::keyClick(dialog.cmdCancel(), Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(Variable::DialogCancel, false);
    }

    void escapeDoesNothing() {
        frmText& dialog = *dialog_;
        dialog.show();
        QTest::keyClicks(dialog.txtText(), QStringLiteral("abc"));
        for (QWidget* control :
             {static_cast<QWidget*>(dialog.txtText()), static_cast<QWidget*>(dialog.txtSize()),
              static_cast<QWidget*>(dialog.cmdCancel()), static_cast<QWidget*>(&dialog)})
            QTest::keyClick(control, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        QCOMPARE(Variable::DialogCancel, true);
        QCOMPARE(dialog.txtText()->text(), QStringLiteral("abc"));
        QVERIFY(!dialog.isUnloaded());
    }

    void cancelHidesAndKeepsValues() {
        frmText& dialog = *dialog_;
        dialog.show();
        Variable::DialogCancel = false;
        retype(dialog.txtSize(), QStringLiteral("20"));
        QTest::mouseClick(dialog.cmdCancel(), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(Variable::DialogCancel, true);
        QCOMPARE(dialog.txtSize()->text(), QStringLiteral("20"));
        QVERIFY(!dialog.isUnloaded());
    }

    void closeBoxCountsAsCancelAndDestroys() {
        QPointer<frmText> dialog = dialog_.release();
        dialog->show();
        Variable::DialogCancel = false;
        dialog->close();
        QVERIFY(!dialog->isVisible());
        QVERIFY(dialog->isUnloaded());
        QCOMPARE(Variable::DialogCancel, true);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dialog.isNull());
    }

    // What the document file cannot hold is refused while the user can still change it.
    void refusesTextsTheFileCannotHold_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("font");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus"); // where the user is sent to mend it
        // The refusal names the character on a second line, by its code as well.
        const auto unsavable = [](const char* character, const char* code) {
            return QStringLiteral("保存できない文字が含まれています。\n該当する文字:「%1」(%2)")
                .arg(QString::fromUtf8(character), QLatin1String(code));
        };
        const QString unsavableFont = QStringLiteral(
            "フォント名に保存できない文字が含まれています。\n該当する文字:「한」(U+D55C)");
        const QString tooLong = QStringLiteral("テキストが長すぎます。");
        QTest::newRow("emoji") << QStringLiteral("ラベル😀") << "IPAGothic"
                               << unsavable("😀", "U+1F600") << "txtText";
        QTest::newRow("hangul") << QStringLiteral("한") << "IPAGothic" << unsavable("한", "U+D55C")
                                << "txtText";
        QTest::newRow("the first of several")
            << QStringLiteral("Ａé€ñ") << "IPAGothic" << unsavable("é", "U+00E9") << "txtText";
        // IPAGothic is 9 bytes: 91 more fill the 100, 92 are one too many.
        QTest::newRow("101 bytes") << QString(92, u'a') << "IPAGothic" << tooLong << "txtText";
        QTest::newRow("101 bytes kana")
            << QString(46, u'あ') << "IPAGothic" << tooLong << "txtText";
        QTest::newRow("100 bytes") << QString(91, u'a') << "IPAGothic" << QString() << QString();
        QTest::newRow("99 bytes kana")
            << QString(45, u'あ') << "IPAGothic" << QString() << QString();
        QTest::newRow("font name counts")
            << QString(90, u'a') << "DejaVu Sans" << tooLong << "txtText";
        QTest::newRow("hangul font name") << QStringLiteral("ラベル") << QStringLiteral("한글 Font")
                                          << unsavableFont << "cmbFont";
        QTest::newRow("both unstorable: the text first")
            << QStringLiteral("한") << QStringLiteral("한글 Font") << unsavable("한", "U+D55C")
            << "txtText";
        QTest::newRow("wave dash is stored")
            << QStringLiteral("〜") << "IPAGothic" << QString() << QString();
    }
    void refusesTextsTheFileCannotHold() {
        QFETCH(QString, text);
        QFETCH(QString, font);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        frmText& dialog = *dialog_;
        dialog.show();
        dialog.setFontName(font);
        dialog.txtText()->setText(text);
        Variable::DialogCancel = true;
        QTest::mouseClick(dialog.cmdOk(), Qt::LeftButton);
        if (message.isEmpty()) {
            QVERIFY(platform_->messages.isEmpty());
            QVERIFY(!dialog.isVisible());
            QCOMPARE(Variable::DialogCancel, false);
            return;
        }
        QCOMPARE(platform_->messages.size(), 1);
        QCOMPARE(platform_->messages[0].text, message);
        QCOMPARE(platform_->messages[0].title, QStringLiteral("文字の設定"));
        QCOMPARE(platform_->messages[0].buttons, MessageButtons::Ok);
        QVERIFY(dialog.isVisible());
        QCOMPARE(Variable::DialogCancel, true);
        QCOMPARE(dialog.txtText()->text(), text);
        QCOMPARE(dialog.focusWidget()->objectName(), focus);
    }

    // A font the list lacks is shown and read back unchanged, never swapped for another one.
    void unknownFontIsKept() {
        frmText& dialog = *dialog_;
        dialog.setFontName(QStringLiteral("Old Label Font"));
        QCOMPARE(dialog.cmbFont()->currentIndex(), -1);
        QCOMPARE(dialog.cmbFont()->placeholderText(), QStringLiteral("Old Label Font"));
        dialog.show();
        dialog.txtText()->setText(QStringLiteral("x"));
        dialog.cmdOk_Click();
        QCOMPARE(dialog.fontName(), QStringLiteral("Old Label Font"));

        dialog.cmbFont()->setCurrentIndex(0);
        QCOMPARE(dialog.fontName(), QStringLiteral("IPAGothic"));
        dialog.setFontName(QStringLiteral("DejaVu Sans"));
        QCOMPARE(dialog.cmbFont()->currentIndex(), 2);
        QCOMPARE(dialog.fontName(), QStringLiteral("DejaVu Sans"));
    }

    void colourOutsideTheTableSelectsNothing() {
        frmText& dialog = *dialog_;
        dialog.setColorIndex(15);
        QCOMPARE(dialog.colorIndex(), 15);
        dialog.setColorIndex(16);
        QCOMPARE(dialog.colorIndex(), -1);
    }

    // Through the insert command: the close box makes the next insert start from the defaults,
    // Cancel keeps what was typed for the next one.
    void dialogLifetimeAcrossInserts() {
        ScriptedPlatform platform;
        platform.fonts = Fonts;
        platform.defaultFont = QStringLiteral("IPAGothic");
        frmMain frm(platform);
        frm.resize(640, 520);
        frm.show();

        QPointer<QDialog> first;
        platform.modalActions.push_back([&](QDialog* shown) {
            first = shown;
            auto* dialog = qobject_cast<frmText*>(shown);
            QVERIFY(dialog);
            retype(dialog->txtSize(), QStringLiteral("20"));
            dialog->cmbColor()->setCurrentIndex(3);
            dialog->cmbFont()->setCurrentIndex(2);
            dialog->txtText()->setText(QStringLiteral("typed"));
            QTest::mouseClick(dialog->cmdCancel(), Qt::LeftButton);
        });
        frm.mnuEditTextIns_Click();
        QCOMPARE(frm.document().itemCount(), 0);
        QVERIFY(!frm.document().LabelChanged);

        platform.modalActions.push_back([&](QDialog* shown) {
            auto* dialog = qobject_cast<frmText*>(shown);
            QCOMPARE(shown, first.data());
            QVERIFY(dialog->txtText()->text().isEmpty());
            QCOMPARE(dialog->txtSize()->text(), QStringLiteral("20"));
            QCOMPARE(dialog->colorIndex(), 3);
            QCOMPARE(dialog->fontName(), QStringLiteral("DejaVu Sans"));
            dialog->close();
        });
        frm.mnuEditTextIns_Click();
        QCOMPARE(frm.document().itemCount(), 0);
        QVERIFY(!frm.document().LabelChanged);
        QCOMPARE(Variable::DialogCancel, true);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());

        platform.modalActions.push_back([&](QDialog* shown) {
            auto* dialog = qobject_cast<frmText*>(shown);
            QVERIFY(dialog->txtText()->text().isEmpty());
            QCOMPARE(dialog->txtSize()->text(), QStringLiteral("40"));
            QCOMPARE(dialog->colorIndex(), 0);
            QCOMPARE(dialog->fontName(), QStringLiteral("IPAGothic"));
            dialog->txtText()->setText(QStringLiteral("文字"));
            QTest::keyClick(dialog->txtText(), Qt::Key_Return);
        });
        frm.mnuEditTextIns_Click();
        QCOMPARE(frm.document().itemCount(), 1);
        QCOMPARE(frm.document().item(0).Text, QStringLiteral("文字"));
        QCOMPARE(frm.document().item(0).Size, 40);
        QVERIFY(platform.unexpected.isEmpty());
    }

private:
    std::unique_ptr<ScriptedPlatform> platform_;
    std::unique_ptr<frmText> dialog_;
};

QTEST_MAIN(TestFrmText)
#include "test_frmtext.moc"
