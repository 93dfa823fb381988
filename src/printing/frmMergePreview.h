#pragma once

#include <QDialog>
#include <functional>

class QPrinter;
class QPrintPreviewWidget;

// Before a merged run is printed: how many rows the table holds and the page the first row
// makes, in the print preview on the printer the run will start on. "印刷" accepts the dialog;
// the caller then opens the print dialog on that printer.
class frmMergePreview : public QDialog {
    Q_OBJECT
public:
    // The printer must outlive the dialog.
    frmMergePreview(int rowCount, QPrinter& printer, std::function<void(QPrinter&)> paintFirst,
                    QWidget* parent);
    ~frmMergePreview() override;

    QPrintPreviewWidget* preview() const { return preview_; }

private:
    QPrintPreviewWidget* preview_;
};
