#include "printing/MergePrint.h"

#include "document/LabelContext.h"
#include "merge/MergeFill.h"
#include "printing/frmMergePreview.h"
#include "printing/render/OffsetNumber.h"
#include "printing/render/PrintRenderer.h"
#include "view/DiscRangeCheck.h"

#include <QFileInfo>
#include <QPageLayout>
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

std::optional<MergePrint::Offset> MergePrint::readOffset() const {
    return PrinterSetup::readStoredOffset(context_.platform);
}

void MergePrint::say(const QString& text) const {
    context_.platform.showMessage(context_.dialogParent, text, Title, MessageButtons::Ok);
}

void MergePrint::reportFailure(const QString& reason) const {
    context_.platform.showMessage(context_.dialogParent,
                                   QStringLiteral("印刷できませんでした。\n") + reason,
                                   QStringLiteral("エラー"), MessageButtons::Ok);
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
    PrintRenderer::drawLabel(painter,
                             PrintRenderer::pageGeometry(printer, offset.leftMm, offset.topMm),
                             *filled.document, background);
}

bool MergePrint::confirmWithPreview(const MergeTable::Table& table, const Offset& offset) {
    PrintRenderer::SharedBackground background(context_.label.picture);
    frmMergePreview dialog(
        table.rowCount(),
        [&](QPrinter& printer) {
            PrinterSetup::usePrintableArea(printer);
            QPainter painter(&printer);
            drawRow(painter, printer, table, 0, offset, background);
        },
        context_.dialogParent);
    context_.platform.showModal(&dialog);
    return dialog.result() == QDialog::Accepted;
}

int MergePrint::printRows(QPrinter& printer, const MergeTable::Table& table, const Offset& offset) {
    QProgressDialog progress(QString(), QStringLiteral("キャンセル"), 0, table.rowCount(),
                             context_.dialogParent);
    progress.setObjectName(QStringLiteral("frmMergeProgress"));
    progress.setWindowTitle(Title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    PrinterSetup::usePrintableArea(printer);
    QPainter painter;
    if (!painter.begin(&printer))
        return -1;
    int sent = 0;
    PrintRenderer::SharedBackground background(context_.label.picture);
    // Cancelling takes effect between pages; the pages drawn so far go to the printer.
    for (; sent < table.rowCount() && !progress.wasCanceled(); ++sent) {
        progress.setLabelText(
            QStringLiteral("印刷しています (%1 / %2 件)").arg(sent + 1).arg(table.rowCount()));
        if (sent > 0 && !printer.newPage())
            return -1;
        drawRow(painter, printer, table, sent, offset, background);
        progress.setValue(sent + 1);
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return -1;
    return sent;
}

void MergePrint::mnuFileMerge_Click() {
    const std::optional<Offset> offset = readOffset();
    if (!offset) {
        reportFailure(
            QStringLiteral("印刷位置設定の値が数値でないか、%1～%2 mm の範囲を外れています。")
                .arg(-OffsetNumber::MaxOffsetMm)
                .arg(OffsetNumber::MaxOffsetMm));
        return;
    }
    const std::optional<MergeTable::Table> table = chooseTable();
    if (!table || !confirmDiscRange(*table) || !confirmWithPreview(*table, *offset))
        return;
    QPrinter printer(QPrinter::HighResolution);
    const QString path = context_.label.documentDialog.fileName;
    printer.setDocName(path.isEmpty() ? QStringLiteral("Gyroplatecomposer")
                                      : QFileInfo(path).completeBaseName());
    if (!context_.platform.showPrintDialog(context_.dialogParent, printer))
        return;
    const int sent = printRows(printer, *table, *offset);
    if (sent < 0)
        reportFailure(QStringLiteral("プリンターが印刷を受け付けませんでした。"));
    else if (sent < table->rowCount())
        say(QStringLiteral("差し込み印刷を中止しました。%1 件のうち %2 件を印刷しました。")
                .arg(table->rowCount())
                .arg(sent));
}
