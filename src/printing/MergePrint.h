#pragma once

#include "document/LabelContext.h"
#include "merge/MergeProblem.h"
#include "merge/MergeTable.h"
#include "platform/Platform.h"
#include "printing/PrinterSetup.h"

#include <optional>

class QPrinter;
namespace PrintRenderer {
class SharedBackground;
}

// File > 差し込み印刷: the open design filled from each row of a table and printed one page per
// row. Every row is filled and checked before the preview is shown, so a run that starts
// never stops at a bad row.
class MergePrint {
public:
    explicit MergePrint(const LabelContext& context);

    void mnuFileMerge_Click();

private:
    using Offset = PrinterSetup::Offset;
    std::optional<Offset> readOffset() const;

    // The chosen table, filled into the design for a check; empty (after saying why) when the
    // user cancelled or the table cannot fill the design.
    std::optional<MergeTable::Table> chooseTable();
    // Rows whose text would print on the hub or the tray are listed and asked about first;
    // false = print nothing.
    bool confirmDiscRange(const MergeTable::Table& table);
    bool confirmWithPreview(const MergeTable::Table& table, const Offset& offset);
    // Prints the rows one page each until done or cancelled; the number of rows sent, or -1
    // when the printer refused the job.
    int printRows(QPrinter& printer, const MergeTable::Table& table, const Offset& offset);
    // Every page of a run draws its background from the same pixels.
    void drawRow(QPainter& painter, QPrinter& printer, const MergeTable::Table& table, int row,
                 const Offset& offset, PrintRenderer::SharedBackground& background);

    void say(const QString& text) const;
    void reportFailure(const QString& reason) const;

    LabelContext context_;
    FileDialogState tableDialog_;
};
