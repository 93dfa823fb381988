#include "printing/PrintJob.h"

#include "printing/PrintMedium.h"
#include "printing/render/PrintableArea.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrinterInfo>

namespace {

// The offset is measured from the printable area, which is the paper less the printer's hardware
// margins. QPrinter starts with margins of its own (10 points), and a print dialog may leave
// others; the painter's origin must depend on neither.
void usePrintableArea(QPrinter& printer) {
    printer.setFullPage(false);
    const QPageLayout layout = printer.pageLayout();
    printer.setPageMargins(layout.minimumMargins(), layout.units());
}

} // namespace

PrintJob::PrintJob(Platform& platform, QWidget* parent, const QString& documentName,
                   const QString& title)
    : platform_(platform), parent_(parent), title_(title) {
    // The printer first: choosing one starts its settings afresh. One that has gone since leaves
    // the default printer.
    const QString last = PrinterProfile::lastPrinter(platform_);
    if (!last.isEmpty() && QPrinterInfo::availablePrinterNames().contains(last))
        printer_.setPrinterName(last);
    printer_.setDocName(documentName);
}

QString PrintJob::documentNameOf(const QString& documentPath) {
    return documentPath.isEmpty() ? QStringLiteral("Gyroplatecomposer")
                                  : QFileInfo(documentPath).completeBaseName();
}

QString PrintJob::profilePrinter() const {
    return printer_.outputFormat() == QPrinter::NativeFormat ? printer_.printerName() : QString();
}

PrinterProfile PrintJob::profile() {
    return PrinterProfile(platform_, profilePrinter(), placement_.layout.name);
}

bool PrintJob::start() {
    const PrintMedium::Chosen medium = PrintMedium::chosen(platform_);
    if (!medium.layout) {
        reportFailure(PrintMedium::missingReason(medium.storedName));
        return false;
    }
    placement_.layout = *medium.layout;
    positions_ = SheetPage::allPositions(placement_.layout);
    // The print dialog starts on the sheet's own paper, upright, as its places are measured on it.
    if (!layout().isDiscTray()) {
        printer_.setPageSize(
            QPageSize(layout().pageMm, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch));
        printer_.setPageOrientation(QPageLayout::Portrait);
    }
    return readSettings();
}

bool PrintJob::readSettings() {
    const PrinterProfile settings = profile();
    const std::optional<PrinterProfile::Offset> offset = settings.offset();
    if (!offset) {
        reportFailure(PrinterProfile::unusableOffsetReason());
        return false;
    }
    const std::optional<PrinterProfile::Scale> scale = settings.scale();
    if (!scale) {
        reportFailure(PrinterProfile::unusableScaleReason());
        return false;
    }
    placement_.offsetMm = QPointF(offset->leftMm, offset->topMm);
    placement_.scaleX = scale->x;
    placement_.scaleY = scale->y;
    return true;
}

bool PrintJob::choosePrinter() {
    if (!platform_.showPrintDialog(parent_, printer_))
        return false;
    rememberPrinter();
    // The chosen printer's own settings, read as the job's were.
    if (!readSettings())
        return false;
    return confirmPlacement();
}

bool PrintJob::confirmPlacement() {
    usePrintableArea(printer_);
    const QRectF area = printer_.pageLayout().paintRect(QPageLayout::Millimeter);
    // A sheet's places are measured from the paper's corner, the tray's from the printable area.
    const QPointF fromArea = layout().isDiscTray() ? QPointF() : -area.topLeft();
    bool inside = true;
    for (const int position : positions_)
        inside = inside && !PrintableArea::rectOverhang(
                                area.size(), placement_.printedMm(position).translated(fromArea))
                                .any();
    if (inside)
        return true;
    return platform_.showMessage(parent_,
                                 QStringLiteral("ラベルの一部が用紙の印刷範囲から外れています。"
                                                "このまま印刷しますか？"),
                                 title_, MessageButtons::YesNo) == MessageAnswer::Yes;
}

// A job that goes to a file is not a printer to start the next one on.
void PrintJob::rememberPrinter() {
    if (printer_.outputFormat() == QPrinter::NativeFormat)
        PrinterProfile::rememberPrinter(platform_, printer_.printerName());
}

bool PrintJob::begin(QPainter& painter, QPrinter& target) {
    usePrintableArea(target);
    return painter.begin(&target);
}

Geometry PrintJob::pageGeometry(QPrinter& target) const {
    if (layout().isDiscTray())
        return Geometry::page(target, 0, 0);
    const QPointF margins = target.pageLayout().paintRect(QPageLayout::Millimeter).topLeft();
    return Geometry::page(target, -margins.x(), -margins.y());
}

bool PrintJob::printPage(QPrinter& target, const PageContent& content) const {
    QPainter painter;
    if (!begin(painter, target))
        return false;
    content(painter, pageGeometry(target));
    return painter.end() && target.printerState() != QPrinter::Error;
}

void PrintJob::reportFailure(const QString& reason) const {
    platform_.showMessage(parent_, QStringLiteral("印刷できませんでした。\n") + reason,
                          QStringLiteral("エラー"), MessageButtons::Ok);
}

void PrintJob::reportRefused() const {
    reportFailure(QStringLiteral("プリンターが印刷を受け付けませんでした。"));
}
