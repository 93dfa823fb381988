#include "printing/PrintCommands.h"

#include "printing/LabelExportCommand.h"
#include "printing/frmAlign.h"
#include "printing/frmPrint.h"
#include "printing/render/AlignmentSheet.h"
#include "printing/render/OffsetNumber.h"
#include "printing/render/PrintRenderer.h"
#include "view/DiscRangeCheck.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

PrintCommands::PrintCommands(const LabelContext& context)
    : context_(context), labelExport_(std::make_unique<LabelExportCommand>(context)) {}

PrintCommands::~PrintCommands() = default;

void PrintCommands::addMenuItems(QMenu* menu) {
    const auto add = [menu](const char* name, const QString& caption, auto handler) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        QObject::connect(action, &QAction::triggered, menu, handler);
    };
    add("mnuFilePreview", QStringLiteral("印刷プレビュー(&V)..."),
        [this] { mnuFilePreview_Click(); });
    add("mnuFileAlignment", QStringLiteral("位置合わせ用紙の印刷(&L)..."),
        [this] { mnuFileAlignment_Click(); });
    add("mnuFileSaveImage", QStringLiteral("ラベルを画像で保存(&G)..."),
        [this] { mnuFileSaveImage_Click(); });
}

void PrintCommands::mnuFilePrintSetup_Click() {
    if (!frmPrint_)
        frmPrint_ = new frmPrint(context_.platform, context_.dialogParent);
    context_.platform.showModal(frmPrint_);
}

std::optional<PrintCommands::Offset> PrintCommands::readOffset() const {
    std::optional<Offset> offset = PrinterSetup::readStoredOffset(context_.platform);
    if (!offset)
        reportUnusableOffset();
    return offset;
}

bool PrintCommands::confirmDiscRange() const {
    if (DiscRangeCheck::check(context_.document()).empty())
        return true;
    return context_.platform.showMessage(
               context_.dialogParent,
               QStringLiteral("ディスクの印刷範囲からはみ出している文字があります。"
                              "このまま印刷しますか？"),
               QStringLiteral("印刷"), MessageButtons::YesNo) == MessageAnswer::Yes;
}

std::optional<PrintCommands::Offset> PrintCommands::labelOffset() const {
    const std::optional<Offset> offset = readOffset();
    if (!offset || !confirmDiscRange())
        return std::nullopt;
    return offset;
}

PrintCommands::PageContent PrintCommands::labelContent() const {
    return [this](QPainter& painter, const Geometry& geometry) {
        PrintRenderer::drawLabel(painter, geometry, context_.document(),
                                 context_.label.picture);
    };
}

void PrintCommands::preparePrinter(QPrinter& printer) const {
    const QString path = context_.label.documentDialog.fileName;
    printer.setDocName(path.isEmpty() ? QStringLiteral("Gyroplatecomposer")
                                      : QFileInfo(path).completeBaseName());
}

// An unreadable offset and a refused job are reported: ending silently would leave the user
// waiting for a page that never comes. A cancelled dialog is the user's own choice and stays
// silent.
void PrintCommands::mnuFilePrint_Click() {
    const std::optional<Offset> offset = labelOffset();
    if (!offset)
        return;
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer);
    if (!context_.platform.showPrintDialog(context_.dialogParent, printer))
        return;
    if (!printPage(printer, *offset, labelContent()))
        reportRefusedJob();
}

// The preview draws through the same page function as Print, once for the screen and again for
// the printer when the user prints from there.
void PrintCommands::mnuFilePreview_Click() {
    const std::optional<Offset> offset = labelOffset();
    if (!offset)
        return;
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer);
    bool refused = false;
    const PageContent content = labelContent();
    context_.platform.showPrintPreview(context_.dialogParent, printer, [&](QPrinter& target) {
        if (!printPage(target, *offset, content))
            refused = true;
    });
    if (refused)
        reportRefusedJob();
}

// The sheet is printed at the stored offset; the readings taken from it correct that offset.
void PrintCommands::mnuFileAlignment_Click() {
    const std::optional<Offset> offset = readOffset();
    if (!offset)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("位置合わせ用紙"));
    if (!context_.platform.showPrintDialog(context_.dialogParent, printer))
        return;
    if (!printPage(printer, *offset, AlignmentSheet::draw)) {
        reportRefusedJob();
        return;
    }
    frmAlign dialog(context_.platform, context_.dialogParent);
    context_.platform.showModal(&dialog);
}

void PrintCommands::mnuFileSaveImage_Click() {
    labelExport_->mnuFileSaveImage_Click();
}

bool PrintCommands::printPage(QPrinter& printer, const Offset& offset,
                              const PageContent& content) const {
    PrinterSetup::usePrintableArea(printer);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    content(painter, Geometry::page(printer, offset.leftMm, offset.topMm));
    return painter.end() && printer.printerState() != QPrinter::Error;
}

void PrintCommands::reportFailure(const QString& reason) const {
    context_.platform.showMessage(context_.dialogParent,
                                   QStringLiteral("印刷できませんでした。\n") + reason,
                                   QStringLiteral("エラー"), MessageButtons::Ok);
}

void PrintCommands::reportUnusableOffset() const {
    reportFailure(QStringLiteral("印刷位置設定の値が数値でないか、%1～%2 mm の範囲を外れています。")
                      .arg(-OffsetNumber::MaxOffsetMm)
                      .arg(OffsetNumber::MaxOffsetMm));
}

void PrintCommands::reportRefusedJob() const {
    reportFailure(QStringLiteral("プリンターが印刷を受け付けませんでした。"));
}
