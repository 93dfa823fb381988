#pragma once

#include "document/LabelContext.h"

#include <QPointer>
#include <optional>

class QPrinter;
class frmPrint;

// The print position dialog and printing the label.
class PrintCommands {
public:
    explicit PrintCommands(const LabelContext& context);
    ~PrintCommands();

    void mnuFilePrintSetup_Click();
    void mnuFilePrint_Click();

private:
    // The printer offset in millimetres from the printable area's top-left corner.
    struct Offset {
        float leftMm = 0;
        float topMm = 0;
    };

    // From the settings store (missing keys read as 0); empty when a stored value is not a
    // usable number.
    std::optional<Offset> readOffset() const;

    // One page on the chosen printer. False when the printer refused the job.
    bool printLabel(QPrinter& printer, const Offset& offset) const;

    void reportFailure() const;

    LabelContext context_;
    // Loaded on first use; the close box destroys it, shut-down closes it by its object name.
    QPointer<frmPrint> frmPrint_;
};
