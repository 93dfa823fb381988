#include "printing/PrintCommands.h"

#include "printing/LabelExportCommand.h"
#include "printing/frmAlign.h"
#include "printing/frmPrint.h"
#include "printing/render/AlignmentSheet.h"
#include "printing/render/PrintRenderer.h"
#include "view/DiscRangeCheck.h"

#include <QAction>
#include <QMenu>

namespace {
const QString PrintTitle = QStringLiteral("印刷");
} // namespace

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

bool PrintCommands::confirmDiscRange() const {
    if (DiscRangeCheck::check(context_.document()).empty())
        return true;
    return context_.platform.showMessage(
               context_.dialogParent,
               QStringLiteral("ディスクの印刷範囲からはみ出している文字があります。"
                              "このまま印刷しますか？"),
               PrintTitle, MessageButtons::YesNo) == MessageAnswer::Yes;
}

bool PrintCommands::startLabelJob(PrintJob& job) const {
    return job.start() && confirmDiscRange();
}

PrintJob::PageContent PrintCommands::labelContent() const {
    return [this](QPainter& painter, const Geometry& geometry) {
        PrintRenderer::drawLabel(painter, geometry, context_.document(), context_.label.picture);
    };
}

// An unreadable offset and a refused job are reported: ending silently would leave the user
// waiting for a page that never comes. A cancelled dialog or a declined question is the user's
// own choice and stays silent.
void PrintCommands::mnuFilePrint_Click() {
    PrintJob job(context_.platform, context_.dialogParent,
                 PrintJob::documentNameOf(context_.label.documentDialog.fileName), PrintTitle);
    if (!startLabelJob(job) || !job.choosePrinter())
        return;
    if (!job.printPage(labelContent()))
        job.reportRefused();
}

// The preview draws through the same page function as Print, once for the screen and again for
// the printer when the user prints from there. The printable area is asked about on the printer
// the preview starts with.
void PrintCommands::mnuFilePreview_Click() {
    PrintJob job(context_.platform, context_.dialogParent,
                 PrintJob::documentNameOf(context_.label.documentDialog.fileName), PrintTitle);
    if (!startLabelJob(job) || !job.confirmPlacement())
        return;
    bool refused = false;
    const PrintJob::PageContent content = labelContent();
    context_.platform.showPrintPreview(context_.dialogParent, job.printer(), [&](QPrinter& target) {
        if (!job.printPage(target, content))
            refused = true;
    });
    job.rememberPrinter();
    if (refused)
        job.reportRefused();
}

// The sheet is printed at the stored offset; the readings taken from it correct that offset, for
// the printer it was printed on.
void PrintCommands::mnuFileAlignment_Click() {
    PrintJob job(context_.platform, context_.dialogParent, QStringLiteral("位置合わせ用紙"),
                 PrintTitle);
    if (!job.start() || !job.choosePrinter())
        return;
    if (!job.printPage(AlignmentSheet::draw)) {
        job.reportRefused();
        return;
    }
    frmAlign dialog(context_.platform, job.profile(), context_.dialogParent);
    context_.platform.showModal(&dialog);
}

void PrintCommands::mnuFileSaveImage_Click() {
    labelExport_->mnuFileSaveImage_Click();
}
