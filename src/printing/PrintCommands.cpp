#include "printing/PrintCommands.h"

#include "printing/LabelExportCommand.h"
#include "printing/PrintMedium.h"
#include "printing/SheetPositionsDialog.h"
#include "printing/frmAlign.h"
#include "printing/frmPrint.h"
#include "printing/render/AlignmentSheet.h"
#include "printing/render/SheetCatalog.h"
#include "view/DiscRangeCheck.h"

#include <QAction>
#include <QMenu>

namespace {
const QString PrintTitle = QStringLiteral("印刷");
const QString MediumTitle = QStringLiteral("用紙");

// A sheet's name is shown as it is: an ampersand in it is not an access key.
QString menuText(const QString& caption) {
    QString text = caption;
    return text.replace(u'&', QStringLiteral("&&"));
}
} // namespace

PrintCommands::PrintCommands(const LabelContext& context)
    : context_(context), labelExport_(std::make_unique<LabelExportCommand>(context)) {}

PrintCommands::~PrintCommands() = default;

void PrintCommands::addMediumMenu(QMenu* menu, QAction* before) {
    auto* media = new QMenu(QStringLiteral("用紙(&T)"), menu);
    media->setObjectName(QStringLiteral("mnuFileMedium"));
    media->menuAction()->setObjectName(QStringLiteral("mnuFileMedium"));
    const std::vector<SheetLayout>& all = SheetCatalog::installed().media;
    for (std::size_t index = 0; index < all.size(); ++index) {
        // The tray, the built-in sheets and the user's own, each group apart.
        if (index == 1 || (index > 1 && all[index].file.isEmpty() != all[index - 1].file.isEmpty()))
            media->addSeparator();
        QAction* action = media->addAction(menuText(PrintMedium::caption(all[index])));
        action->setObjectName(QStringLiteral("mnuFileMediumItem"));
        action->setProperty("Index", int(index));
        action->setCheckable(true);
        mediumActions_.push_back(action);
        QObject::connect(action, &QAction::triggered, media,
                         [this, index] { mnuFileMedium_Click(int(index)); });
    }
    menu->insertMenu(before, media);
    showChosenMedium();
}

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

void PrintCommands::tellRefusedSheets() {
    const std::vector<SheetCatalog::Refusal>& refused = SheetCatalog::installed().refused;
    if (refused.empty())
        return;
    QStringList lines;
    for (const SheetCatalog::Refusal& refusal : refused)
        lines << QStringLiteral("%1: %2").arg(refusal.file, SheetFile::japanese(refusal.problem));
    context_.platform.showMessage(
        context_.dialogParent,
        QStringLiteral("次の用紙の定義ファイルは読み込めないため、用紙の一覧から外しました。\n\n") +
            lines.join(u'\n'),
        MediumTitle, MessageButtons::Ok);
}

void PrintCommands::showChosenMedium() {
    const PrintMedium::Chosen chosen = PrintMedium::chosen(context_.platform);
    const std::vector<SheetLayout>& all = SheetCatalog::installed().media;
    // None is checked while the chosen medium is no longer listed.
    for (std::size_t index = 0; index < mediumActions_.size(); ++index)
        mediumActions_[index]->setChecked(chosen.layout && all[index].name == chosen.layout->name);
    context_.surface.showMedium(chosen.layout ? chosen.layout->frame() : DiscFrame::disc());
}

// A choice the settings store refuses is said, and the check stays on the medium still chosen.
void PrintCommands::mnuFileMedium_Click(int index) {
    const std::vector<SheetLayout>& all = SheetCatalog::installed().media;
    if (index < 0 || std::size_t(index) >= all.size())
        return;
    if (!PrintMedium::choose(context_.platform, all[std::size_t(index)]))
        context_.platform.showMessage(context_.dialogParent,
                                      QStringLiteral("用紙の選択を保存できませんでした。"),
                                      MediumTitle, MessageButtons::Ok);
    showChosenMedium();
}

void PrintCommands::mnuFilePrintSetup_Click() {
    if (!frmPrint_)
        frmPrint_ = new frmPrint(context_.platform, context_.dialogParent);
    context_.platform.showModal(frmPrint_);
}

bool PrintCommands::confirmDiscRange(const SheetLayout& layout) const {
    if (DiscRangeCheck::check(context_.document(), layout.frame()).empty())
        return true;
    return context_.platform.showMessage(
               context_.dialogParent,
               QStringLiteral("%1の印刷範囲からはみ出している文字があります。"
                              "このまま印刷しますか？")
                   .arg(layout.isDiscTray() ? QStringLiteral("ディスク")
                                            : QStringLiteral("シール")),
               PrintTitle, MessageButtons::YesNo) == MessageAnswer::Yes;
}

bool PrintCommands::choosePositions(PrintJob& job) const {
    const SheetLayout& layout = job.layout();
    if (layout.positionCount() < 2)
        return true;
    SheetPositionsDialog dialog(layout, PrintMedium::lastPositions(context_.platform, layout),
                                context_.dialogParent);
    context_.platform.showModal(&dialog);
    if (dialog.result() != QDialog::Accepted || dialog.positions().empty())
        return false;
    PrintMedium::rememberPositions(context_.platform, layout, dialog.positions());
    job.setPositions(dialog.positions());
    return true;
}

bool PrintCommands::startLabelJob(PrintJob& job) const {
    return job.start() && confirmDiscRange(job.layout()) && choosePositions(job);
}

PrintJob::PageContent PrintCommands::labelContent(const PrintJob& job) const {
    return [this, &job](QPainter& painter, const Geometry& page) {
        SheetPage::drawLabels(painter, page, job.placement(), job.positions(), context_.document(),
                              context_.label.picture);
    };
}

// An unreadable setting and a refused job are reported: ending silently would leave the user
// waiting for a page that never comes. A cancelled dialog or a declined question is the user's
// own choice and stays silent.
void PrintCommands::mnuFilePrint_Click() {
    PrintJob job(context_.platform, context_.dialogParent,
                 PrintJob::documentNameOf(context_.label.documentDialog.fileName), PrintTitle);
    if (!startLabelJob(job) || !job.choosePrinter())
        return;
    if (!job.printPage(labelContent(job)))
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
    const PrintJob::PageContent content = labelContent(job);
    context_.platform.showPrintPreview(context_.dialogParent, job.printer(), [&](QPrinter& target) {
        if (!job.printPage(target, content))
            refused = true;
    });
    job.rememberPrinter();
    if (refused)
        job.reportRefused();
}

// The sheet is printed at the stored offset and scale, at every position of the medium; the
// readings taken from it correct them, for the printer and medium it was printed on.
void PrintCommands::mnuFileAlignment_Click() {
    PrintJob job(context_.platform, context_.dialogParent, QStringLiteral("位置合わせ用紙"),
                 PrintTitle);
    if (!job.start() || !job.choosePrinter())
        return;
    if (!job.printPage([&job](QPainter& painter, const Geometry& page) {
            AlignmentSheet::drawPage(painter, page, job.placement(), job.positions());
        })) {
        job.reportRefused();
        return;
    }
    frmAlign dialog(context_.platform, job.profile(), job.layout(), context_.dialogParent);
    context_.platform.showModal(&dialog);
}

void PrintCommands::mnuFileSaveImage_Click() {
    labelExport_->mnuFileSaveImage_Click();
}
