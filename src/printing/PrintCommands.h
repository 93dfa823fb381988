#pragma once

#include "view/LabelRenderer.h"

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class LabelExportCommand;
class LabelWindow;
class QMenu;
class QPainter;
class QPrinter;
class frmPrint;

// The print position dialog, printing the label, its preview, the alignment sheet and the
// label as a picture.
class PrintCommands {
public:
    explicit PrintCommands(LabelWindow& window);
    ~PrintCommands();

    // Adds the preview, the alignment sheet and the picture export to the file menu, after
    // whatever it holds so far (the print item).
    void addMenuItems(QMenu* menu);

    void mnuFilePrintSetup_Click();
    void mnuFilePrint_Click();
    void mnuFilePreview_Click();
    void mnuFileAlignment_Click();
    void mnuFileSaveImage_Click();

private:
    // The printer offset in millimetres from the printable area's top-left corner.
    struct Offset {
        float leftMm = 0;
        float topMm = 0;
    };
    using PageContent = std::function<void(QPainter&, const LabelRenderer::Geometry&)>;

    // From the settings store (missing keys read as 0); empty when a stored value is not a
    // usable number.
    std::optional<Offset> readOffset() const;

    // Text that would print on the hub or the tray is asked about first; false = print nothing.
    bool confirmDiscRange() const;

    PageContent labelContent() const;
    void preparePrinter(QPrinter& printer) const;

    // One page on the given printer. False when the printer refused the job.
    bool printPage(QPrinter& printer, const Offset& offset, const PageContent& content) const;

    void reportFailure(const QString& reason) const;
    void reportUnusableOffset() const;
    void reportRefusedJob() const;

    LabelWindow& window_;
    // Loaded on first use; the close box destroys it, shut-down closes it by its object name.
    QPointer<frmPrint> frmPrint_;
    std::unique_ptr<LabelExportCommand> labelExport_;
};
