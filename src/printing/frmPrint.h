#pragma once

#include <QDialog>

class OffsetLengthLimit;
class Platform;
class QLineEdit;
class QPushButton;

// frmPrint: the print position dialog. Its two boxes edit the printer offset in the settings
// store; OK hides it (it stays loaded), the close box saves the same way and destroys it.
class frmPrint : public QDialog {
    Q_OBJECT
public:
    frmPrint(Platform& platform, QWidget* parent);

    QLineEdit* txtLeft() const { return txtLeft_; }
    QLineEdit* txtTop() const { return txtTop_; }
    QPushButton* cmdOk() const { return cmdOk_; }

    // The boxes show the stored texts as they are, "0" for a missing key.
    void Form_Activate();
    void cmdOk_Click();
    void Form_Unload();

    // Escape does nothing: the dialog has no cancel, and every way out saves.
    void reject() override {}

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void layOut();
    bool writeOffsets();

    Platform& platform_;
    QLineEdit* txtLeft_ = nullptr;
    QLineEdit* txtTop_ = nullptr;
    QPushButton* cmdOk_ = nullptr;
    OffsetLengthLimit* leftLimit_ = nullptr;
    OffsetLengthLimit* topLimit_ = nullptr;
};
