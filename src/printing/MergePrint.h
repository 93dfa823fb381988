#pragma once

#include "document/LabelContext.h"
#include "merge/MergeProblem.h"
#include "merge/MergeTable.h"
#include "platform/Platform.h"
#include "printing/PrinterProfile.h"

#include <optional>

class PrintJob;
class QPainter;
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
    using Offset = PrinterProfile::Offset;

    // How a run ended, and how many pages went to the printer.
    struct Run {
        enum class End { Done, Cancelled, Refused, StoppedMidway } end = End::Done;
        int sent = 0;
    };

    // The chosen table, filled into the design for a check; empty (after saying why) when the
    // user cancelled or the table cannot fill the design.
    std::optional<MergeTable::Table> chooseTable();
    // Rows whose text would print on the hub or the tray are listed and asked about first;
    // false = print nothing.
    bool confirmDiscRange(const MergeTable::Table& table);
    bool confirmWithPreview(const MergeTable::Table& table, PrintJob& job);
    // Prints the rows one page each until done, cancelled or refused.
    Run printRows(PrintJob& job, const MergeTable::Table& table);
    void report(const Run& run, const PrintJob& job, int rowCount) const;
    // Every page of a run draws its background from the same pixels.
    void drawRow(QPainter& painter, QPrinter& printer, const MergeTable::Table& table, int row,
                 const Offset& offset, PrintRenderer::SharedBackground& background);

    void say(const QString& text) const;

    LabelContext context_;
    FileDialogState tableDialog_;
};
