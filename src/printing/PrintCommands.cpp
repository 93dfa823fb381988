#include "printing/PrintCommands.h"

#include "printing/frmPrint.h"
#include "printing/render/OffsetNumber.h"
#include "printing/render/PrintRenderer.h"

#include <QFileInfo>
#include <QPainter>
#include <QPrinter>

PrintCommands::PrintCommands(const LabelContext& context) : context_(context) {}

PrintCommands::~PrintCommands() = default;

void PrintCommands::mnuFilePrintSetup_Click() {
    if (!frmPrint_)
        frmPrint_ = new frmPrint(context_.platform, context_.dialogParent);
    context_.platform.showModal(frmPrint_);
}

std::optional<PrintCommands::Offset> PrintCommands::readOffset() const {
    Platform& platform = context_.platform;
    const auto left = OffsetNumber::parseStored(
        platform.readSetting(QStringLiteral("PrinterLeft"), QStringLiteral("0")));
    const auto top = OffsetNumber::parseStored(
        platform.readSetting(QStringLiteral("PrinterTop"), QStringLiteral("0")));
    if (!left || !top)
        return std::nullopt;
    return Offset{*left, *top};
}

// An unreadable offset and a refused job are reported: ending silently would leave the user
// waiting for a page that never comes. A cancelled dialog is the user's own choice and stays
// silent.
void PrintCommands::mnuFilePrint_Click() {
    const std::optional<Offset> offset = readOffset();
    if (!offset) {
        reportFailure();
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    // Coordinates start at the printable area's top-left corner, as the offset is measured.
    printer.setFullPage(false);
    const QString path = context_.label.documentDialog.fileName;
    printer.setDocName(path.isEmpty() ? QStringLiteral("Gyroplatecomposer")
                                      : QFileInfo(path).completeBaseName());
    if (!context_.platform.showPrintDialog(context_.dialogParent, printer))
        return;
    if (!printLabel(printer, *offset))
        reportFailure();
}

bool PrintCommands::printLabel(QPrinter& printer, const Offset& offset) const {
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    PrintRenderer::drawLabel(painter,
                             PrintRenderer::pageGeometry(printer, offset.leftMm, offset.topMm),
                             context_.document(), context_.label.picture);
    return painter.end() && printer.printerState() != QPrinter::Error;
}

void PrintCommands::reportFailure() const {
    context_.platform.showMessage(context_.dialogParent, QStringLiteral("印刷できませんでした。"),
                                   QStringLiteral("エラー"), MessageButtons::Ok);
}
