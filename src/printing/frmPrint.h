#pragma once

#include "printing/PrinterProfile.h"

#include <QDialog>

class OffsetLengthLimit;
class Platform;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// frmPrint: the print position dialog. Its boxes edit the offset and the scale of the printer the
// next print would use (another can be chosen here) for the medium chosen in the file menu; OK
// hides it (it stays loaded), the close box saves the same way and destroys it.
class frmPrint : public QDialog {
    Q_OBJECT
public:
    frmPrint(Platform& platform, QWidget* parent);

    QComboBox* cmbPrinter() const { return cmbPrinter_; }
    QLabel* lblMedium() const { return lblMedium_; }
    QLineEdit* txtLeft() const { return txtLeft_; }
    QLineEdit* txtTop() const { return txtTop_; }
    QLineEdit* txtScaleX() const { return txtScaleX_; }
    QLineEdit* txtScaleY() const { return txtScaleY_; }
    QPushButton* cmdOk() const { return cmdOk_; }

    // The printers and the medium as they are now; the boxes show the stored texts as they are,
    // "0" (and "100" for the scale) for a missing key.
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
    // The settings of the printer shown and the medium chosen.
    PrinterProfile profile() const;
    void showStored();
    // Stores the boxes for the printer shown. A typed scale outside the allowed range is said
    // (when `sayBadScale`) and refuses the store; otherwise it is left as stored.
    bool writeOffsets(bool sayBadScale);
    // Another printer chosen: the boxes are stored for the one shown before, then show its.
    void cmbPrinter_Click(int index);

    Platform& platform_;
    QComboBox* cmbPrinter_ = nullptr;
    QLabel* lblMedium_ = nullptr;
    QLineEdit* txtLeft_ = nullptr;
    QLineEdit* txtTop_ = nullptr;
    QLineEdit* txtScaleX_ = nullptr;
    QLineEdit* txtScaleY_ = nullptr;
    QPushButton* cmdOk_ = nullptr;
    OffsetLengthLimit* leftLimit_ = nullptr;
    OffsetLengthLimit* topLimit_ = nullptr;
    OffsetLengthLimit* scaleXLimit_ = nullptr;
    OffsetLengthLimit* scaleYLimit_ = nullptr;
    QString shownPrinter_; // empty: no printer
    QString medium_;
};
