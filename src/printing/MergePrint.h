#pragma once

#include "document/LabelContext.h"
#include "merge/MergeProblem.h"
#include "merge/MergeTable.h"
#include "platform/Platform.h"
#include "printing/render/SheetPage.h"

#include <optional>
#include <vector>

class PrintJob;
class QPainter;
class QPrinter;
namespace PrintRenderer {
class SharedBackground;
}

// File > 差し込み印刷: the open design filled from each row of a table and printed one page per
// row, or on a sheet the rows in order over its labels, from a chosen label on the first sheet
// (for a sheet already partly used) and from the first on every other. Every row is filled and
// checked before the preview is shown, so a run that starts never stops at a bad row.
class MergePrint {
public:
    explicit MergePrint(const LabelContext& context);

    void mnuFileMerge_Click();

private:
    using Pages = std::vector<std::vector<SheetPage::Slot>>;

    // How a run ended, and how many rows went to the printer.
    struct Run {
        enum class End { Done, Cancelled, Refused, StoppedMidway } end = End::Done;
        int sent = 0;
    };

    // The chosen table, filled into the design for a check; empty (after saying why) when the
    // user cancelled or the table cannot fill the design.
    std::optional<MergeTable::Table> chooseTable();
    // Rows whose text would print on the hub or the tray are listed and asked about first;
    // false = print nothing.
    bool confirmDiscRange(const MergeTable::Table& table, const SheetLayout& layout);
    // The preview of the first page, where the first label to print on is chosen; empty when
    // the user cancelled.
    std::optional<int> confirmWithPreview(const MergeTable::Table& table, PrintJob& job);
    // Prints the pages until done, cancelled or refused.
    Run printRows(PrintJob& job, const MergeTable::Table& table, const Pages& pages);
    void report(const Run& run, const PrintJob& job, int rowCount) const;
    // The rows of one page at their positions. Every label of a run draws its background from
    // the same pixels, so a PDF holds them once.
    void drawPage(QPainter& painter, QPrinter& printer, const PrintJob& job,
                  const MergeTable::Table& table, const std::vector<SheetPage::Slot>& onPage,
                  PrintRenderer::SharedBackground& background);
    void drawRow(QPainter& painter, const Geometry& geometry, const MergeTable::Table& table,
                 int row, const DiscFrame& frame, PrintRenderer::SharedBackground& background);

    void say(const QString& text) const;

    LabelContext context_;
    FileDialogState tableDialog_;
};
