#pragma once

#include "printing/PrinterProfile.h"

#include <QDialog>
#include <QString>
#include <optional>

class Platform;
class QLabel;
class QLineEdit;
class QPushButton;

// frmAlign: after the alignment sheet is printed on a disc, the user types the four scale
// readings where the disc's edge (or its hole) meets the lines. The mean of each pair is how
// far the disc's centre lies from the printed one; OK moves the offset the sheet was printed at
// by it, written as the print position dialog writes it. Cancel changes nothing.
class frmAlign : public QDialog {
    Q_OBJECT
public:
    // The readings correct the offset of `profile`, as it stands when the dialog opens.
    frmAlign(Platform& platform, const PrinterProfile& profile, QWidget* parent);
    frmAlign(Platform& platform, QWidget* parent)
        : frmAlign(platform, PrinterProfile(platform), parent) {}

    // The readings in the order the sheet asks for them: left, right, top, bottom.
    enum Reading { Left, Right, Top, Bottom, ReadingCount };

    struct Correction {
        double leftMm = 0;
        double topMm = 0;
    };
    // The new offsets from the stored texts and the typed readings (ScaleReading's rule), or the
    // message that refuses them.
    struct Result {
        std::optional<Correction> offset;
        QString problem;
    };
    static Result correct(const QString& storedLeft, const QString& storedTop,
                          const QString (&readings)[ReadingCount]);

    QLineEdit* reading(Reading which) const { return readings_[which]; }
    QLabel* lblNewOffset() const { return lblNewOffset_; }
    QPushButton* cmdOk() const { return cmdOk_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

    void cmdOk_Click();

private:
    Result currentResult() const;
    void showNewOffset();

    Platform& platform_;
    PrinterProfile profile_;
    PrinterProfile::OffsetTexts stored_;
    QLineEdit* readings_[ReadingCount] = {};
    QLabel* lblNewOffset_ = nullptr;
    QPushButton* cmdOk_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};
