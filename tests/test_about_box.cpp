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
