#pragma once

#include "document/LabelContext.h"
#include "printing/PrintJob.h"

#include <QPointer>
#include <memory>
#include <vector>

class LabelExportCommand;
class QAction;
class QMenu;
class frmPrint;

// The medium printed on, the print position dialog, printing the label, its preview, the
// alignment sheet and the label as a picture.
class PrintCommands {
public:
    explicit PrintCommands(const LabelContext& context);
    ~PrintCommands();

    // The 用紙 submenu: the disc tray and every sheet, the chosen one checked. Added to the file
    // menu before `before`; the surface is told the chosen medium's frame.
    void addMediumMenu(QMenu* menu, QAction* before = nullptr);
    // Adds the preview, the alignment sheet and the picture export to the file menu, after
    // whatever it holds so far (the print item).
    void addMenuItems(QMenu* menu);
    // The user's sheet files that were left out, named with what is wrong, once.
    void tellRefusedSheets();

    void mnuFileMedium_Click(int index);
    void mnuFilePrintSetup_Click();
    void mnuFilePrint_Click();
    void mnuFilePreview_Click();
    void mnuFileAlignment_Click();
    void mnuFileSaveImage_Click();

private:
    // Text that would print off the label's ring is asked about first; false = print nothing.
    bool confirmDiscRange(const SheetLayout& layout) const;
    // On a sheet, which of its labels to print (as last time); false = print nothing.
    bool choosePositions(PrintJob& job) const;

    // A job for the label, its settings read (false when unusable, after saying so), the ring
    // asked about and the positions chosen (false when the user declined).
    bool startLabelJob(PrintJob& job) const;

    PrintJob::PageContent labelContent(const PrintJob& job) const;
    // Checks the menu item of the chosen medium (none when it is no longer listed) and shows its
    // circles.
    void showChosenMedium();

    LabelContext context_;
    // Loaded on first use; the close box destroys it, shut-down closes it by its object name.
    QPointer<frmPrint> frmPrint_;
    std::unique_ptr<LabelExportCommand> labelExport_;
    // The 用紙 menu's items, in the catalogue's order; each is checked by hand, as a group of
    // actions would show round marks instead of check marks.
    std::vector<QAction*> mediumActions_;
};
