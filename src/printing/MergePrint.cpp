#include "printing/MergePrint.h"

#include "document/LabelContext.h"
#include "merge/MergeFill.h"
#include "printing/PrintJob.h"
#include "printing/frmMergePreview.h"
#include "printing/render/PrintRenderer.h"
#include "view/DiscRangeCheck.h"

#include <QPainter>
#include <QPrinter>
#include <QProgressDialog>

namespace {

const QString Title = QStringLiteral("差し込み印刷");
// Rows named in the question before printing; the rest are counted.
constexpr int ListedRows = 20;

} // namespace

MergePrint::MergePrint(const LabelContext& context) : context_(context) {
    tableDialog_.filter =
        QStringLiteral("表 (CSV, タブ区切り)|*.csv;*.tsv;*.txt|すべてのファイル|*");
}

void MergePrint::say(const QString& text) const {
    context_.platform.showMessage(context_.dialogParent, text, Title, MessageButtons::Ok);
}

bool MergePrint::confirmDiscRange(const MergeTable::Table& table, const SheetLayout& layout) {
    const DiscFrame frame = layout.frame();
    QStringList listed;
    int outside = 0;
    for (int row = 0; row < table.rowCount(); ++row) {
        const MergeFill::Filled filled =
            MergeFill::fillRow(context_.document(), table, row, context_.surface.viewSidePx());
        if (!filled.document || DiscRangeCheck::check(*filled.document, frame).empty())
            continue;
        if (++outside <= ListedRows)
            listed << QString::number(row + 1);
    }
    if (outside == 0)
        return true;
    QString rows = listed.join(QStringLiteral("、")) + QStringLiteral(" 件目");
    if (outside > ListedRows)
        rows += QStringLiteral("ほか %1 件").arg(outside - ListedRows);
    return context_.platform.showMessage(
               context_.dialogParent,
               QStringLiteral("次の行は%1の印刷範囲からはみ出す文字があります。\n%2\n"
                              "このまま印刷しますか？")
                   .arg(layout.isDiscTray() ? QStringLiteral("ディスク") : QStringLiteral("シール"),
                        rows),
               Title, MessageButtons::YesNo) == MessageAnswer::Yes;
}

std::optional<MergeTable::Table> MergePrint::chooseTable() {
    if (!context_.platform.showOpenDialog(context_.dialogParent, tableDialog_))
        return std::nullopt;
    MergeTable::ReadResult read = MergeTable::read(tableDialog_.fileName);
    if (!read.table) {
        say(MergeMessages::japanese(read.problem));
        return std::nullopt;
    }
    // Filled items are measured as the editor measures a text typed into this view.
    if (const std::optional<MergeProblem> problem =
            MergeFill::checkAll(context_.document(), *read.table, context_.surface.viewSidePx())) {
        say(MergeMessages::japanese(*problem));
        return std::nullopt;
    }
    return std::move(read.table);
}

void MergePrint::drawRow(QPainter& painter, const Geometry& geometry,
                         const MergeTable::Table& table, int row, const DiscFrame& frame,
                         PrintRenderer::SharedBackground& background) {
    const MergeFill::Filled filled =
        MergeFill::fillRow(context_.document(), table, row, context_.surface.viewSidePx());
    if (!filled.document)
        return; // every row passed the same check before printing began
    PrintRenderer::drawLabel(painter, geometry, *filled.document, background, frame);
}

void MergePrint::drawPage(QPainter& painter, QPrinter& printer, const PrintJob& job,
                          const MergeTable::Table& table,
                          const std::vector<SheetPage::Slot>& onPage,
                          PrintRenderer::SharedBackground& background) {
    const Geometry page = job.pageGeometry(printer);
    const DiscFrame frame = job.layout().frame();
    for (const SheetPage::Slot& slot : onPage)
        SheetPage::draw(painter, page, job.placement(), {slot.position},
                        [&](QPainter& on, const Geometry& label, int) {
                            drawRow(on, label, table, slot.label, frame, background);
                        });
}

std::optional<int> MergePrint::confirmWithPreview(const MergeTable::Table& table, PrintJob& job) {
    const std::vector<int> positions = SheetPage::allPositions(job.layout());
    frmMergePreview dialog(
        table.rowCount(), job.layout(), job.printer(),
        [&](QPrinter& printer, int start) {
            QPainter painter;
            if (!PrintJob::begin(painter, printer))
                return;
            const Pages pages = SheetPage::fill(positions, start, table.rowCount());
            PrintRenderer::SharedBackground background(context_.label.picture);
            if (!pages.empty())
                drawPage(painter, printer, job, table, pages.front(), background);
        },
        context_.dialogParent);
    context_.platform.showModal(&dialog);
    if (dialog.result() != QDialog::Accepted)
        return std::nullopt;
    return dialog.start();
}

MergePrint::Run MergePrint::printRows(PrintJob& job, const MergeTable::Table& table,
                                      const Pages& pages) {
    QPrinter& printer = job.printer();
    QProgressDialog progress(QString(), QStringLiteral("キャンセル"), 0, table.rowCount(),
                             context_.dialogParent);
    progress.setObjectName(QStringLiteral("frmMergeProgress"));
    progress.setWindowTitle(Title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    QPainter painter;
    if (!PrintJob::begin(painter, printer))
        return Run{Run::End::Refused, 0};
    Run run;
    PrintRenderer::SharedBackground background(context_.label.picture);
    // Cancelling takes effect between pages; the pages drawn so far go to the printer.
    for (std::size_t index = 0; index < pages.size(); ++index) {
        if (progress.wasCanceled()) {
            run.end = Run::End::Cancelled;
            break;
        }
        progress.setLabelText(
            QStringLiteral("印刷しています (%1 / %2 件)").arg(run.sent + 1).arg(table.rowCount()));
        // A printer that stops taking pages midway: the job is withdrawn where the print system
        // can withdraw it; where it cannot, the pages drawn so far go, and the user is told how
        // many rows they hold.
        if (index > 0 && !printer.newPage()) {
            if (printer.abort())
                return Run{Run::End::Refused, 0};
            painter.end();
            return Run{Run::End::StoppedMidway, run.sent};
        }
        drawPage(painter, printer, job, table, pages[index], background);
        run.sent += int(pages[index].size());
        progress.setValue(run.sent);
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return Run{Run::End::Refused, 0};
    return run;
}

void MergePrint::report(const Run& run, const PrintJob& job, int rowCount) const {
    switch (run.end) {
    case Run::End::Done:
        return;
    case Run::End::Cancelled:
        say(QStringLiteral("差し込み印刷を中止しました。%1 件のうち %2 件を印刷しました。")
                .arg(rowCount)
                .arg(run.sent));
        return;
    case Run::End::Refused:
        job.reportRefused();
        return;
    case Run::End::StoppedMidway:
        job.reportFailure(QStringLiteral("%1 件のうち %2 件をプリンターに送ったところで、"
                                         "プリンターが印刷を受け付けなくなりました。")
                              .arg(rowCount)
                              .arg(run.sent));
        return;
    }
}

void MergePrint::mnuFileMerge_Click() {
    PrintJob job(context_.platform, context_.dialogParent,
                 PrintJob::documentNameOf(context_.label.documentDialog.fileName), Title);
    if (!job.start())
        return;
    const std::optional<MergeTable::Table> table = chooseTable();
    if (!table || !confirmDiscRange(*table, job.layout()))
        return;
    const std::optional<int> start = confirmWithPreview(*table, job);
    if (!start || !job.choosePrinter())
        return;
    const Pages pages =
        SheetPage::fill(SheetPage::allPositions(job.layout()), *start, table->rowCount());
    report(printRows(job, *table, pages), job, table->rowCount());
}
