#pragma once

#include "printing/PrinterProfile.h"

#include <QDialog>
#include <QString>
#include <optional>

class Platform;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// frmAlign: after the alignment sheet is printed on a disc (or a sheet of stickers), the user
// types the four scale readings where the disc's edge (or its hole) meets the lines. The mean of
// each pair is how far the disc's centre lies from the printed one; OK moves the offset the sheet
// was printed at by it, written as the print position dialog writes it. Read at the outer edge,
// the same readings also tell how far the printer's scale is off: the printed scale reads b - a
// across an edge of true diameter D, so the scale must be multiplied by (b - a) / D. That is
// offered, ticked when it corrects more than ScaleWorthCorrecting. Cancel changes nothing.
class frmAlign : public QDialog {
    Q_OBJECT
public:
    // The readings correct the settings of `profile` (its printer and medium), as they stand when
    // the dialog opens; `layout` is the medium the sheet was printed on.
    frmAlign(Platform& platform, const PrinterProfile& profile, const SheetLayout& layout,
             QWidget* parent);
    frmAlign(Platform& platform, QWidget* parent)
        : frmAlign(platform, PrinterProfile(platform), SheetLayout::discTray(), parent) {}

    // The readings in the order the sheet asks for them: left, right, top, bottom.
    enum Reading { Left, Right, Top, Bottom, ReadingCount };

    // A scale correction smaller than this is reading error, not the printer's.
    static constexpr double ScaleWorthCorrecting = 0.002;

    struct Correction {
        double leftMm = 0;
        double topMm = 0;
    };
    struct ScalePercent {
        double x = 100;
        double y = 100;
    };
    // The new offsets from the stored texts and the typed readings (ScaleReading's rule), or the
    // message that refuses them; and the new scale where the readings give one within the
    // allowed range (readings at a hole give none), with whether it is worth taking.
    struct Result {
        std::optional<Correction> offset;
        QString problem;
        std::optional<ScalePercent> scale;
        bool scaleWorthTaking = false;
    };
    static Result correct(const PrinterProfile::OffsetTexts& stored,
                          const QString (&readings)[ReadingCount], double diameterMm);

    QLineEdit* reading(Reading which) const { return readings_[which]; }
    QLabel* lblNewOffset() const { return lblNewOffset_; }
    QCheckBox* chkScale() const { return chkScale_; }
    QPushButton* cmdOk() const { return cmdOk_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

    void cmdOk_Click();

private:
    Result currentResult() const;
    void showNewOffset();

    Platform& platform_;
    PrinterProfile profile_;
    PrinterProfile::OffsetTexts stored_;
    double diameterMm_;
    QLineEdit* readings_[ReadingCount] = {};
    QLabel* lblNewOffset_ = nullptr;
    QCheckBox* chkScale_ = nullptr;
    QPushButton* cmdOk_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};
