#pragma once

#include "document/LabelContext.h"
#include "printing/PrintJob.h"

#include <QPointer>
#include <memory>

class LabelExportCommand;
class QMenu;
class frmPrint;

// The print position dialog, printing the label, its preview, the alignment sheet and the
// label as a picture.
class PrintCommands {
public:
    explicit PrintCommands(const LabelContext& context);
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
    // Text that would print on the hub or the tray is asked about first; false = print nothing.
    bool confirmDiscRange() const;

    // A job for the label, its offset read (false when unusable, after saying so) and the disc
    // range asked about (false when the user declined).
    bool startLabelJob(PrintJob& job) const;

    PrintJob::PageContent labelContent() const;

    LabelContext context_;
    // Loaded on first use; the close box destroys it, shut-down closes it by its object name.
    QPointer<frmPrint> frmPrint_;
    std::unique_ptr<LabelExportCommand> labelExport_;
};
