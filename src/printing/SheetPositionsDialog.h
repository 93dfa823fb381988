#pragma once

#include "document/SheetLayout.h"

#include <QDialog>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;

// Before printing on a sheet: which of its labels to print, ticked on a small drawing of the
// sheet. OK needs at least one.
class SheetPositionsDialog : public QDialog {
    Q_OBJECT
public:
    // `ticked`: the positions (0-based) ticked at first.
    SheetPositionsDialog(const SheetLayout& layout, const std::vector<int>& ticked,
                         QWidget* parent);

    // The ticked positions, in order.
    std::vector<int> positions() const;

    QCheckBox* position(int index) const { return boxes_[std::size_t(index)]; }
    QPushButton* cmdOk() const { return cmdOk_; }

private:
    void showTicked();

    SheetLayout layout_;
    std::vector<QCheckBox*> boxes_;
    QLabel* picSheet_ = nullptr;
    QPushButton* cmdOk_ = nullptr;
};
