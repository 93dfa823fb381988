#include "editing/TextCommands.h"

#include "commands/CentreTextStep.h"
#include "commands/DeleteTextStep.h"
#include "commands/EditTextStep.h"
#include "commands/InsertTextStep.h"
#include "commands/LabelHistory.h"
#include "commands/MoveTextStep.h"
#include "document/DialogState.h"
#include "editing/frmText.h"
#include "shapes/Centring.h"
#include "shapes/ItemMoves.h"
#include "shapes/ItemPlacement.h"
#include "shapes/ItemShape.h"

#include <QLineEdit>

namespace {
const QString NoSelectionTitle = QStringLiteral("文字が選択されていません");
} // namespace

TextCommands::TextCommands(const LabelContext& context, LabelHistory& history)
    : context_(context), history_(history) {}

// A dialog made without a window to own it (the commands run without one in tests) is the
// commands' own.
TextCommands::~TextCommands() {
    if (dialog_ && !dialog_->parent())
        delete dialog_;
}

frmText& TextCommands::textDialog() {
    // A dialog closed by its close box is waiting for destruction; it is never shown again.
    if (!dialog_ || dialog_->isUnloaded())
        dialog_ = new frmText(context_.platform, context_.dialogParent);
    return *dialog_;
}

bool TextCommands::refuseWithoutSelection(const QString& message) {
    if (context_.document().hasSelection())
        return false;
    context_.platform.showMessage(context_.dialogParent, message, NoSelectionTitle,
                                  MessageButtons::Ok);
    return true;
}

TextItem TextCommands::itemFromDialog(const frmText& dialog, const TextItem& base) const {
    TextItem item = base;
    item.Text = dialog.txtText()->text();
    item.FontName = dialog.fontName();
    item.Size = dialog.sizePoints();
    // Only an item read from a damaged file can leave the colour list without a selection;
    // its colour is then kept rather than replaced by an invalid number.
    if (dialog.colorIndex() >= 0)
        item.Color = dialog.colorIndex();
    item.layout = dialog.layout();
    ItemPlacement::measure(item, context_.surface.viewSidePx());
    return item;
}

// While the dialog is open the label shows what it would make, in place of the item it edits.
void TextCommands::showWithPreview(frmText& dialog, const TextItem& base, int replacing) {
    const QMetaObject::Connection preview =
        QObject::connect(&dialog, &frmText::edited, &dialog, [this, &dialog, base, replacing] {
            const TextItem item = itemFromDialog(dialog, base);
            context_.surface.showPreviewItems(
                item.Text.isEmpty() ? std::vector<TextItem>{} : std::vector<TextItem>{item},
                replacing);
        });
    context_.platform.showModal(&dialog);
    QObject::disconnect(preview);
    context_.surface.showPreviewItems({});
}

void TextCommands::mnuEditTextIns_Click() {
    // Every slot in use: say so before the user types a text that could not be kept.
    if (context_.document().isFull()) {
        context_.platform.showMessage(context_.dialogParent,
                                      QStringLiteral("文字は100個までしか挿入できません。"),
                                      QStringLiteral("文字の挿入"), MessageButtons::Ok);
        return;
    }
    frmText& dialog = textDialog();
    dialog.txtText()->setText(QString());
    // The last item edited may have named a font that is not installed, or an installed one by
    // another desktop's name; a new item is not to inherit either.
    dialog.startWithListedFont();
    showWithPreview(dialog, TextItem{}, -1);
    if (Variable::DialogCancel)
        return;

    const TextItem item = itemFromDialog(dialog, TextItem{});
    lastStyle_ = TextStyle{item.FontName, item.Size, item.Color};
    history_.push(std::make_unique<InsertTextStep>(context_.label, item));
}

void TextCommands::mnuEditTextEdit_Click() {
    if (refuseWithoutSelection(QStringLiteral("編集する文字を選択してください。")))
        return;
    LabelDocument& document = context_.document();
    frmText& dialog = textDialog();
    const TextItem& current = document.selectedItem();
    dialog.setTextSelected(current.Text);
    dialog.setFontName(current.FontName);
    dialog.setSizeText(QString::number(current.Size));
    dialog.setColorIndex(current.Color);
    dialog.setLayout(current.layout);
    context_.surface.placeDialogClearOf(&dialog, ItemShape::of(current)->outlineMm().boundingRect());
    showWithPreview(dialog, current, document.SelectedText);
    if (Variable::DialogCancel || !document.hasSelection())
        return;

    const TextItem item = itemFromDialog(dialog, document.selectedItem());
    lastStyle_ = TextStyle{item.FontName, item.Size, item.Color};
    history_.push(std::make_unique<EditTextStep>(context_.label, document.SelectedText, item));
}

void TextCommands::mnuEditTextDel_Click() {
    if (refuseWithoutSelection(QStringLiteral("削除する文字を選択してください。")))
        return;
    history_.push(
        std::make_unique<DeleteTextStep>(context_.label, context_.document().SelectedText));
}

void TextCommands::mnuEditTextCenterItem_Click(int index) {
    if (refuseWithoutSelection(QStringLiteral("移動する文字を選択してください。")))
        return;
    if (index != 0 && index != 1)
        return;
    const CentreAxis axis = index == 0 ? CentreAxis::Across : CentreAxis::Down;
    if (!Centring::canCentre(context_.document().selectedItem(), axis))
        return;
    history_.push(
        std::make_unique<CentreTextStep>(context_.label, context_.document().SelectedText, axis));
}

bool TextCommands::nudgeSelected(float dxMm, float dyMm, qint64 atMs) {
    LabelDocument& document = context_.document();
    if (!document.hasSelection())
        return false;
    history_.push(
        std::make_unique<MoveTextStep>(context_.label, document.SelectedText,
                                       ItemMoves::nudged(document.selectedItem(), dxMm, dyMm),
                                       MoveTextStep::Gesture::Nudge, atMs));
    return true;
}
