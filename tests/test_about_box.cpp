// The About box: its content, OK hiding it, the close box unloading it.
#include "mainwindow/frmAbout.h"
#include "mainwindow/frmMain.h"
#include "support/ScriptedPlatform.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

class AboutBoxTest : public QObject {
    Q_OBJECT
private slots:
    void okHidesAndTheSameBoxComesBack() {
        ScriptedPlatform platform;
        frmMain window(platform);
        QPointer<QDialog> first;
        for (int i = 0; i < 5; ++i) {
            platform.modalActions.push_back([&](QDialog* dialog) {
                QCOMPARE(dialog->objectName(), QStringLiteral("frmAbout"));
                QCOMPARE(dialog->windowTitle(), QStringLiteral("バージョン情報"));
                QCOMPARE(dialog->findChild<QLabel*>("Label1")->text(),
                         QStringLiteral("Gyroplatecomposer v2.18"));
                QVERIFY(!dialog->findChild<QLabel*>("Label2")->text().isEmpty());
                QVERIFY(!dialog->findChild<QLabel*>("picIcon")->pixmap().isNull());
                auto* ok = dialog->findChild<QPushButton*>("cmdOk");
                QCOMPARE(ok->text(), QStringLiteral("OK"));
                QTest::mouseClick(ok, Qt::LeftButton);
                QVERIFY(!dialog->isVisible());
                if (!first)
                    first = dialog;
                QCOMPARE(dialog, first.data());
            });
            window.mnuHelpAbout_Click();
        }
        QCOMPARE(platform.modalsShown.size(), 5);
        QVERIFY(platform.unexpected.isEmpty());
        QVERIFY(!window.document().LabelChanged);
    }

    // Twips at 15 per pixel, and no text cut by its label.
    void controlsWhereTheTableHasThem_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::newRow("picIcon") << "picIcon" << QRect(360, 360, 480, 480);
        QTest::newRow("Label1") << "Label1" << QRect(1200, 360, 1935, 255);
        QTest::newRow("Label2") << "Label2" << QRect(1800, 720, 2535, 255);
        QTest::newRow("cmdOk") << "cmdOk" << QRect(3240, 1200, 1215, 375);
    }

    void controlsWhereTheTableHasThem() {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        frmAbout box(nullptr);
        QCOMPARE(box.size(), QSize(4680 / 15, 1785 / 15));
        auto* control = box.findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), QRect(twips.topLeft() / 15, twips.size() / 15));
        if (auto* label = qobject_cast<QLabel*>(control); label && !label->text().isEmpty())
            QVERIFY(QFontMetricsF(label->font()).horizontalAdvance(label->text()) <=
                    label->width());
    }

    void closeBoxUnloadsTheBox() {
        ScriptedPlatform platform;
        frmMain window(platform);
        QPointer<QDialog> closed;
        platform.modalActions.push_back([&](QDialog* dialog) {
            closed = dialog;
            dialog->close();
        });
        window.mnuHelpAbout_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(closed.isNull());
        platform.modalActions.push_back([&](QDialog* dialog) { QVERIFY(dialog); });
        window.mnuHelpAbout_Click();
        QCOMPARE(platform.modalsShown.size(), 2);
    }
};

QTEST_MAIN(AboutBoxTest)
#include "test_about_box.moc"
