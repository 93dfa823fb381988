#pragma once

#include <QDialog>
#include <QList>

class QLabel;
class QPushButton;

// frmAbout: the About box. Hidden by OK and shown again; its close box destroys it.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent);

    void cmdOk_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void fitToText(const QList<QLabel*>& labels, QPushButton* ok);
};
