#pragma once

#include "document/SheetLayout.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QPrinter;
class QPrintPreviewWidget;

// Before a merged run is printed: how many rows the table holds and the page the first row
// makes, in the print preview on the printer the run will start on. On a sheet the first label to
// print on is chosen here ("start at label 2" on a sheet already partly used), and the preview
// shows the first sheet from it. "印刷" accepts the dialog; the caller then opens the print dialog
// on that printer.
class frmMergePreview : public QDialog {
    Q_OBJECT
public:
    // The printer must outlive the dialog; paintFirst(printer, start) draws the first page.
    frmMergePreview(int rowCount, const SheetLayout& layout, QPrinter& printer,
                    std::function<void(QPrinter&, int)> paintFirst, QWidget* parent);
    ~frmMergePreview() override;

    QPrintPreviewWidget* preview() const { return preview_; }
    QComboBox* cmbStart() const { return cmbStart_; }
    // The position (0-based) the first row goes on.
    int start() const;

private:
    void showCount();

    int rowCount_;
    SheetLayout layout_;
    QLabel* lblCount_;
    QComboBox* cmbStart_ = nullptr;
    QPrintPreviewWidget* preview_;
};
