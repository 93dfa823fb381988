// The print position dialog and the number rule of its two boxes.
#include "mainwindow/frmMain.h"
#include "printing/frmPrint.h"
#include "printing/render/OffsetNumber.h"
#include "support/ScriptedPlatform.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <cmath>
#include <limits>

namespace {

const QString Left = QStringLiteral("PrinterLeft");
const QString Top = QStringLiteral("PrinterTop");

frmPrint* asDialog(QDialog* dialog) {
    auto* print = qobject_cast<frmPrint*>(dialog);
    if (!print)
        qFatal("the modal dialog is not frmPrint");
    return print;
}

void typeInto(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

// Opens the dialog through the menu command and runs `action` on it while it is shown.
void showDialog(ScriptedPlatform& platform, frmMain& window,
                const std::function<void(frmPrint*)>& action) {
    platform.modalActions.push_back([action](QDialog* dialog) { action(asDialog(dialog)); });
    window.mnuFilePrintSetup_Click();
}

} // namespace

class FrmPrintTest : public QObject {
    Q_OBJECT

private slots:
    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("decimal") << "1.5" << 1.5;
        QTest::newRow("ASCII minus") << "-3" << -3.0;
        QTest::newRow("typographic minus") << QStringLiteral("\u22123") << -3.0;
        QTest::newRow("plus") << "+2" << 2.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("minus point") << "-.5" << -0.5;
        QTest::newRow("trailing letter") << "12a" << 12.0;
        QTest::newRow("second point ends") << "1.2.3" << 1.2;
        QTest::newRow("blanks anywhere") << " 1 2 " << 12.0;
        QTest::newRow("tab and line feed") << "\t1\n5" << 15.0;
        QTest::newRow("carriage return ends") << "1\r5" << 1.0;
        QTest::newRow("exponent E") << "1E2" << 100.0;
        QTest::newRow("exponent D") << "1d-1" << 0.1;
        QTest::newRow("exponent without digits") << "7E" << 7.0;
        QTest::newRow("exponent sign only") << "7E+" << 7.0;
        QTest::newRow("sign alone") << "-" << 0.0;
        QTest::newRow("point alone") << "." << 0.0;
        QTest::newRow("hex") << "&H1F" << 31.0;
        QTest::newRow("hex lower case") << "&hff" << 255.0;
        QTest::newRow("hex stops") << "&H1G" << 1.0;
        QTest::newRow("hex without digits") << "&H" << 0.0;
        QTest::newRow("octal") << "&O17" << 15.0;
        QTest::newRow("octal stops at 8") << "&O18" << 1.0;
        QTest::newRow("blank inside prefix") << "& H 10" << 16.0;
        QTest::newRow("full-width digits are not digits") << QStringLiteral("１２") << 0.0;
        QTest::newRow("underflow") << "1E-999" << 0.0;
        QTest::newRow("long exponent") << "1E-99999999999999999999" << 0.0;
    }

    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(OffsetNumber::leadingNumber(text), value);
    }

    void hugeNumbersAreInfinite() {
        QVERIFY(std::isinf(OffsetNumber::leadingNumber(QStringLiteral("1E999"))));
        QVERIFY(OffsetNumber::leadingNumber(QStringLiteral("-1E999")) < 0);
        QVERIFY(std::isinf(OffsetNumber::leadingNumber(QStringLiteral("9E99999999999999"))));
        QVERIFY(std::isinf(OffsetNumber::leadingNumber(QStringLiteral("&H") + QString(300, u'F'))));
    }

    void format_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("whole") << 12.0 << "12";
        QTest::newRow("negative") << -3.0 << "-3";
        QTest::newRow("fraction") << 1.5 << "1.5";
        QTest::newRow("leading zero") << 0.5 << "0.5";
        QTest::newRow("tenth") << 0.1 << "0.1";
        QTest::newRow("no exponent when large") << 9e9 << "9000000000";
        QTest::newRow("no exponent when small") << 1e-7 << "0.0000001";
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << "";
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << "";
    }

    void format() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(OffsetNumber::format(value), text);
    }

    void parseStored_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<float>("value");
        QTest::newRow("plain") << "1.5" << true << 1.5f;
        QTest::newRow("surrounding blanks") << " -3 " << true << -3.0f;
        QTest::newRow("hex") << "&H1F" << true << 31.0f;
        QTest::newRow("a metre") << "-1000" << true << -1000.0f;
        QTest::newRow("beyond a metre") << "1000.5" << false << 0.0f;
        QTest::newRow("letters") << "abc" << false << 0.0f;
        QTest::newRow("trailing letter") << "12a" << false << 0.0f;
        QTest::newRow("empty") << "" << false << 0.0f;
        QTest::newRow("sign alone") << "-" << false << 0.0f;
        QTest::newRow("infinite") << "1E999" << false << 0.0f;
    }

    void parseStored() {
        QFETCH(QString, text);
        QFETCH(bool, readable);
        QFETCH(float, value);
        const std::optional<float> parsed = OffsetNumber::parseStored(text);
        QCOMPARE(parsed.has_value(), readable);
        if (readable)
            QCOMPARE(*parsed, value);
    }

    void theDialogsControls() {
        ScriptedPlatform platform;
        frmMain window(platform);
        showDialog(platform, window, [](frmPrint* dialog) {
            QCOMPARE(dialog->objectName(), QStringLiteral("frmPrint"));
            QCOMPARE(dialog->windowTitle(), QStringLiteral("印刷位置設定"));
            const auto label = [dialog](const char* name) {
                auto* found = dialog->findChild<QLabel*>(QLatin1String(name));
                return found ? found->text() : QString();
            };
            QCOMPARE(label("lblText_0"), QStringLiteral("左端から"));
            QCOMPARE(label("lblText_1"), QStringLiteral("上端から"));
            QCOMPARE(label("lblUnit_0"), QStringLiteral("mm"));
            QCOMPARE(label("lblUnit_1"), QStringLiteral("mm"));
            // OK and nothing else: there is no cancel.
            const QList<QPushButton*> buttons = dialog->findChildren<QPushButton*>();
            QCOMPARE(buttons.size(), 1);
            QCOMPARE(buttons[0]->objectName(), QStringLiteral("cmdOk"));
            QCOMPARE(buttons[0]->text(), QStringLiteral("OK"));
            for (QLineEdit* box : {dialog->txtLeft(), dialog->txtTop()}) {
                QCOMPARE(box->text(), QStringLiteral("0"));
                QVERIFY(!box->testAttribute(Qt::WA_InputMethodEnabled));
            }
            QCOMPARE(dialog->txtLeft()->objectName(), QStringLiteral("txtLeft"));
            QCOMPARE(dialog->txtTop()->objectName(), QStringLiteral("txtTop"));
            QTest::mouseClick(dialog->cmdOk(), Qt::LeftButton);
            QVERIFY(!dialog->isVisible());
        });
        // First run: OK stores the zeros.
        QCOMPARE(platform.settings.value(Left), QStringLiteral("0"));
        QCOMPARE(platform.settings.value(Top), QStringLiteral("0"));
        QVERIFY(platform.unexpected.isEmpty());
    }

    // At the usual font the dialog keeps its proportions; at a large one every caption and box
    // grows with its text instead of being cut.
    void layoutFollowsTheFont_data() {
        QTest::addColumn<qreal>("fontScale");
        QTest::newRow("usual font") << 1.0;
        QTest::newRow("font two and a half times as large") << 2.5;
    }

    void layoutFollowsTheFont() {
        QFETCH(qreal, fontScale);
        const QFont usual = QApplication::font();
        QFont font = usual;
        font.setPointSizeF(usual.pointSizeF() * fontScale);
        QApplication::setFont(font);
        const auto restore = qScopeGuard([&] { QApplication::setFont(usual); });
        ScriptedPlatform platform;
        frmPrint dialog(platform, nullptr);
        dialog.show();
        if (fontScale == 1.0) {
            QCOMPARE(dialog.size(), QSize(289, 220));
            QCOMPARE(dialog.txtLeft()->geometry(), QRect(92, 14, 49, 22));
            QCOMPARE(dialog.cmdOk()->geometry().bottomRight(), QPoint(271, 205));
        }
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->objectName()));
            QVERIFY(label->height() >= label->fontMetrics().height());
        }
        QVERIFY(dialog.cmdOk()->width() >= dialog.cmdOk()->sizeHint().width());
        for (QLineEdit* box : {dialog.txtLeft(), dialog.txtTop()})
            QVERIFY(box->width() > box->fontMetrics().horizontalAdvance(QStringLiteral("-99")));
        for (QLineEdit* box : {dialog.txtScaleX(), dialog.txtScaleY()})
            QVERIFY(box->width() > box->fontMetrics().horizontalAdvance(QStringLiteral("100.125")));
        // The rows do not overlap one another or the button.
        const QWidget* rows[] = {dialog.txtLeft(),   dialog.txtTop(),     dialog.txtScaleX(),
                                 dialog.txtScaleY(), dialog.cmbPrinter(), dialog.lblMedium(),
                                 dialog.cmdOk()};
        for (std::size_t i = 1; i < std::size(rows); ++i)
            QVERIFY(rows[i - 1]->geometry().bottom() < rows[i]->geometry().top());
    }

    void typedTextStoresItsLeadingNumber_data() {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("storedLeft");
        QTest::addColumn<QString>("storedTop");
        QTest::newRow("1.5 and -3") << "1.5"
                                    << "-3"
                                    << "1.5"
                                    << "-3";
        QTest::newRow("abc and .5") << "abc"
                                    << ".5"
                                    << "0"
                                    << "0.5";
        QTest::newRow("12a and empty") << "12a"
                                       << ""
                                       << "12"
                                       << "0";
        QTest::newRow("exponent and hex") << "1E2"
                                          << "&HF"
                                          << "100"
                                          << "15";
        QTest::newRow("minus point") << "-.5"
                                     << "+7"
                                     << "-0.5"
                                     << "7";
    }

    // What is typed is stored as its number, and the next showing shows the stored text.
    void typedTextStoresItsLeadingNumber() {
        QFETCH(QString, left);
        QFETCH(QString, top);
        QFETCH(QString, storedLeft);
        QFETCH(QString, storedTop);
        ScriptedPlatform platform;
        frmMain window(platform);
        showDialog(platform, window, [&](frmPrint* dialog) {
            typeInto(dialog->txtLeft(), left);
            typeInto(dialog->txtTop(), top);
            QCOMPARE(dialog->txtLeft()->text(), left);
            QTest::keyClick(dialog->txtTop(), Qt::Key_Return); // Enter presses OK
            QVERIFY(!dialog->isVisible());
        });
        QCOMPARE(platform.settings.value(Left), storedLeft);
        QCOMPARE(platform.settings.value(Top), storedTop);

        showDialog(platform, window, [&](frmPrint* dialog) {
            QCOMPARE(dialog->txtLeft()->text(), storedLeft);
            QCOMPARE(dialog->txtTop()->text(), storedTop);
            dialog->cmdOk_Click();
        });
        QCOMPARE(platform.modalsShown.size(), 2);
        QCOMPARE(platform.modalsShown[0], platform.modalsShown[1]); // hidden, not destroyed
        QCOMPARE(platform.settings.value(Left), storedLeft);
    }

    void aFourthCharacterCannotBeTyped() {
        ScriptedPlatform platform;
        platform.settings[Top] = QStringLiteral("-0.5"); // written by an earlier OK on "-.5"
        frmMain window(platform);
        showDialog(platform, window, [](frmPrint* dialog) {
            typeInto(dialog->txtLeft(), QStringLiteral("1234"));
            QCOMPARE(dialog->txtLeft()->text(), QStringLiteral("123"));
            // A longer stored text is shown whole and can be shortened, not lengthened.
            QLineEdit* top = dialog->txtTop();
            QCOMPARE(top->text(), QStringLiteral("-0.5"));
            top->setFocus();
            top->end(false);
            QTest::keyClicks(top, QStringLiteral("1"));
            QCOMPARE(top->text(), QStringLiteral("-0.5"));
            QTest::keyClick(top, Qt::Key_Backspace);
            QCOMPARE(top->text(), QStringLiteral("-0."));
            QTest::keyClicks(top, QStringLiteral("7"));
            QCOMPARE(top->text(), QStringLiteral("-0."));
            dialog->cmdOk_Click();
        });
        QCOMPARE(platform.settings.value(Left), QStringLiteral("123"));
        QCOMPARE(platform.settings.value(Top), QStringLiteral("0")); // "-0." reads as -0
    }

    // Stored texts are shown without reformatting; OK stores their numbers.
    void storedTextIsShownAsStored_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("written");
        QTest::newRow("hex") << "&H1F"
                             << "31";
        QTest::newRow("blanks") << " 2 5"
                                << "25";
        QTest::newRow("long decimal") << "-0.25"
                                      << "-0.25";
        QTest::newRow("junk") << "x1"
                              << "0";
        // Too large to write down: the stored text stays rather than becoming something else.
        QTest::newRow("overflow") << "1E999"
                                  << "1E999";
    }

    void storedTextIsShownAsStored() {
        QFETCH(QString, stored);
        QFETCH(QString, written);
        ScriptedPlatform platform;
        platform.settings[Left] = stored;
        frmMain window(platform);
        showDialog(platform, window, [&](frmPrint* dialog) {
            QCOMPARE(dialog->txtLeft()->text(), stored);
            QTest::mouseClick(dialog->cmdOk(), Qt::LeftButton);
        });
        QCOMPARE(platform.settings.value(Left), written);
        QCOMPARE(platform.settings.value(Top), QStringLiteral("0"));
    }

    void everyShowingRefillsFromTheSettings() {
        ScriptedPlatform platform;
        frmMain window(platform);
        showDialog(platform, window, [](frmPrint* dialog) {
            typeInto(dialog->txtLeft(), QStringLiteral("5"));
            dialog->cmdOk_Click();
        });
        platform.settings[Left] = QStringLiteral("8");
        platform.settings.remove(Top);
        showDialog(platform, window, [](frmPrint* dialog) {
            QCOMPARE(dialog->txtLeft()->text(), QStringLiteral("8"));
            QCOMPARE(dialog->txtTop()->text(), QStringLiteral("0"));
            dialog->cmdOk_Click();
        });
    }

    // Every way out saves: the close box like OK (and the dialog goes), Escape does not leave.
    void theCloseBoxSavesLikeOk() {
        ScriptedPlatform platform;
        frmMain window(platform);
        QPointer<QDialog> first;
        showDialog(platform, window, [&](frmPrint* dialog) {
            first = dialog;
            typeInto(dialog->txtLeft(), QStringLiteral("2.5"));
            typeInto(dialog->txtTop(), QStringLiteral("-1"));
            QTest::keyClick(dialog, Qt::Key_Escape);
            QVERIFY(dialog->isVisible());
            QVERIFY(!platform.settings.contains(Left));
            dialog->close();
            QVERIFY(!dialog->isVisible());
        });
        QCOMPARE(platform.settings.value(Left), QStringLiteral("2.5"));
        QCOMPARE(platform.settings.value(Top), QStringLiteral("-1"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());

        // The next showing loads a new dialog that reads the saved values.
        showDialog(platform, window, [](frmPrint* dialog) {
            QCOMPARE(dialog->txtLeft()->text(), QStringLiteral("2.5"));
            QCOMPARE(dialog->txtTop()->text(), QStringLiteral("-1"));
            dialog->cmdOk_Click();
        });
    }

    // Shut-down closes a loaded dialog, which saves its boxes once more.
    void shutDownSavesTheBoxes() {
        ScriptedPlatform platform;
        frmMain window(platform);
        showDialog(platform, window, [](frmPrint* dialog) {
            typeInto(dialog->txtLeft(), QStringLiteral("4"));
            typeInto(dialog->txtTop(), QStringLiteral("6"));
            dialog->cmdOk_Click();
        });
        platform.settings.clear();
        QVERIFY(window.close());
        QCOMPARE(platform.settings.value(Left), QStringLiteral("4"));
        QCOMPARE(platform.settings.value(Top), QStringLiteral("6"));
    }

    // A store that refuses the offset is reported, and OK keeps the dialog and the typed values.
    void anOffsetThatCannotBeStoredIsReported() {
        ScriptedPlatform platform;
        frmMain window(platform);
        platform.settingsWritable = false;
        showDialog(platform, window, [&](frmPrint* dialog) {
            typeInto(dialog->txtLeft(), QStringLiteral("7"));
            dialog->cmdOk_Click();
            QCOMPARE(platform.messages.size(), 1);
            QCOMPARE(platform.messages[0].text, QStringLiteral("印刷位置を保存できませんでした。"));
            QCOMPARE(platform.messages[0].title, QStringLiteral("印刷位置設定"));
            QVERIFY(dialog->isVisible());
            QCOMPARE(dialog->txtLeft()->text(), QStringLiteral("7"));

            platform.settingsWritable = true;
            dialog->cmdOk_Click();
            QVERIFY(!dialog->isVisible());
        });
        QCOMPARE(platform.messages.size(), 1);
        QCOMPARE(platform.settings.value(Left), QStringLiteral("7"));
    }

    // On a sheet the dialog shows and stores that medium's setting, the scale with it; a scale
    // outside 90 to 110 % is refused while it can be retyped.
    void theMediumsOwnSetting() {
        ScriptedPlatform platform;
        const QString own = QStringLiteral("PrinterProfiles/()/Avery%20L6015/");
        platform.settings[QStringLiteral("Medium")] = QStringLiteral("Avery L6015");
        platform.settings[Left] = QStringLiteral("9");
        platform.settings[own + QStringLiteral("Left")] = QStringLiteral("3");
        frmMain window(platform);
        showDialog(platform, window, [&](frmPrint* dialog) {
            QCOMPARE(dialog->lblMedium()->text(), QStringLiteral("Avery L6015（A4）"));
            QCOMPARE(dialog->txtLeft()->text(), QStringLiteral("3"));
            QCOMPARE(dialog->txtScaleX()->text(), QStringLiteral("100"));
            typeInto(dialog->txtScaleX(), QStringLiteral("120"));
            dialog->cmdOk_Click();
            QCOMPARE(platform.lastMessageText(),
                     QStringLiteral("倍率は 90～110 % の数値で入力してください。"));
            QVERIFY(dialog->isVisible());
            QVERIFY(!platform.settings.contains(own + QStringLiteral("ScaleX")));
            typeInto(dialog->txtScaleX(), QStringLiteral("99.5"));
            dialog->cmdOk_Click();
            QVERIFY(!dialog->isVisible());
        });
        QCOMPARE(platform.settings.value(own + QStringLiteral("ScaleX")), QStringLiteral("99.5"));
        QCOMPARE(platform.settings.value(own + QStringLiteral("ScaleY")), QStringLiteral("100"));
        QCOMPARE(platform.settings.value(Left), QStringLiteral("9"));
    }

    void shutDownWithoutTheDialogWritesNoOffset() {
        ScriptedPlatform platform;
        frmMain window(platform);
        QVERIFY(window.close());
        QVERIFY(!platform.settings.contains(Left));
        QVERIFY(!platform.settings.contains(Top));
    }
};

QTEST_MAIN(FrmPrintTest)
#include "test_frmprint.moc"
