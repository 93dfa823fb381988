#pragma once

#include <QDialog>
#include <functional>

class QPrinter;
class QPrintPreviewWidget;

// Before a merged run is printed: how many rows the table holds and the page the first row
// makes, in the print preview. "印刷" accepts the dialog; the caller then opens the print dialog.
class frmMergePreview : public QDialog {
    Q_OBJECT
public:
    frmMergePreview(int rowCount, std::function<void(QPrinter&)> paintFirst, QWidget* parent);
    ~frmMergePreview() override;

    QPrintPreviewWidget* preview() const { return preview_; }

private:
    QPrinter* printer_;
    QPrintPreviewWidget* preview_;
};
