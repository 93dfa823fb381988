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

bool MergePrint::confirmDiscRange(const MergeTable::Table& table) {
    QStringList listed;
    int outside = 0;
    for (int row = 0; row < table.rowCount(); ++row) {
        const MergeFill::Filled filled =
            MergeFill::fillRow(context_.document(), table, row, context_.surface.viewSidePx());
        if (!filled.document || DiscRangeCheck::check(*filled.document).empty())
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
               QStringLiteral("次の行はディスクの印刷範囲からはみ出す文字があります。\n%1\n"
                              "このまま印刷しますか？")
                   .arg(rows),
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

void MergePrint::drawRow(QPainter& painter, QPrinter& printer, const MergeTable::Table& table,
                         int row, const Offset& offset,
                         PrintRenderer::SharedBackground& background) {
    const MergeFill::Filled filled =
        MergeFill::fillRow(context_.document(), table, row, context_.surface.viewSidePx());
    if (!filled.document)
        return; // every row passed the same check before printing began
    PrintRenderer::drawLabel(painter, Geometry::page(printer, offset.leftMm, offset.topMm),
                             *filled.document, background);
}

bool MergePrint::confirmWithPreview(const MergeTable::Table& table, PrintJob& job) {
    PrintRenderer::SharedBackground background(context_.label.picture);
    frmMergePreview dialog(
        table.rowCount(), job.printer(),
        [&](QPrinter& printer) {
            QPainter painter;
            if (PrintJob::begin(painter, printer))
                drawRow(painter, printer, table, 0, job.offset(), background);
        },
        context_.dialogParent);
    context_.platform.showModal(&dialog);
    return dialog.result() == QDialog::Accepted;
}

MergePrint::Run MergePrint::printRows(PrintJob& job, const MergeTable::Table& table) {
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
    for (; run.sent < table.rowCount(); ++run.sent) {
        if (progress.wasCanceled()) {
            run.end = Run::End::Cancelled;
            break;
        }
        progress.setLabelText(
            QStringLiteral("印刷しています (%1 / %2 件)").arg(run.sent + 1).arg(table.rowCount()));
        // A printer that stops taking pages midway: the job is withdrawn where the print system
        // can withdraw it; where it cannot, the pages drawn so far go, and the user is told how
        // many.
        if (run.sent > 0 && !printer.newPage()) {
            if (printer.abort())
                return Run{Run::End::Refused, 0};
            painter.end();
            return Run{Run::End::StoppedMidway, run.sent};
        }
        drawRow(painter, printer, table, run.sent, job.offset(), background);
        progress.setValue(run.sent + 1);
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
    if (!table || !confirmDiscRange(*table) || !confirmWithPreview(*table, job) ||
        !job.choosePrinter())
        return;
    report(printRows(job, *table), job, table->rowCount());
}
