#pragma once

#include "document/LabelContext.h"
#include "printing/PrinterSetup.h"
#include "view/LabelRenderer.h"

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class LabelExportCommand;
class QMenu;
class QPainter;
class QPrinter;
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
    using Offset = PrinterSetup::Offset;
    using PageContent = std::function<void(QPainter&, const Geometry&)>;

    // The stored offset; an unusable one is reported and gives none.
    std::optional<Offset> readOffset() const;

    // Text that would print on the hub or the tray is asked about first; false = print nothing.
    bool confirmDiscRange() const;

    // The offset to print the label at; none when it is unusable or the user declined.
    std::optional<Offset> labelOffset() const;

    PageContent labelContent() const;
    void preparePrinter(QPrinter& printer) const;

    // One page on the given printer. False when the printer refused the job.
    bool printPage(QPrinter& printer, const Offset& offset, const PageContent& content) const;

    void reportFailure(const QString& reason) const;
    void reportUnusableOffset() const;
    void reportRefusedJob() const;

    LabelContext context_;
    // Loaded on first use; the close box destroys it, shut-down closes it by its object name.
    QPointer<frmPrint> frmPrint_;
    std::unique_ptr<LabelExportCommand> labelExport_;
};
