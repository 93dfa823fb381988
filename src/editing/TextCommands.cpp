#include "editing/TextCommands.h"

#include "document/DialogState.h"
#include "document/LabelWindow.h"
#include "editing/frmText.h"
#include "view/LabelRenderer.h"

#include <QLineEdit>

namespace {
const QString NoSelectionTitle = QStringLiteral("文字が選択されていません");
} // namespace

TextCommands::TextCommands(LabelWindow& window) : window_(window) {}

TextCommands::~TextCommands() = default;

frmText& TextCommands::textDialog() {
    // A dialog closed by its close box is waiting for destruction; it is never shown again.
    if (!dialog_ || dialog_->isUnloaded())
        dialog_ = new frmText(window_.platform(), window_.dialogParent());
    return *dialog_;
}

bool TextCommands::refuseWithoutSelection(const QString& message) {
    if (window_.document().hasSelection())
        return false;
    window_.platform().showMessage(window_.dialogParent(), message, NoSelectionTitle,
                                   MessageButtons::Ok);
    return true;
}

void TextCommands::readDialog(const frmText& dialog, TextItem& item) {
    item.Text = dialog.txtText()->text();
    item.FontName = dialog.fontName();
    item.Size = dialog.sizePoints();
    // Only an item read from a damaged file can leave the colour list without a selection;
    // its colour is then kept rather than replaced by an invalid number.
    if (dialog.colorIndex() >= 0)
        item.Color = dialog.colorIndex();
}

// The extent is measured with the view's font at the current view size, in label millimetres.
void TextCommands::measure(TextItem& item) {
    const QSizeF extent = LabelRenderer::measureText(item, window_.viewSidePx());
    item.Width = float(extent.width());
    item.Height = float(extent.height());
}

void TextCommands::mnuEditTextIns_Click() {
    LabelDocument& document = window_.document();
    // Every slot in use: say so before the user types a text that could not be kept.
    if (document.TextCount >= MaxTextItems) {
        window_.platform().showMessage(window_.dialogParent(),
                                       QStringLiteral("文字は100個までしか挿入できません。"),
                                       QStringLiteral("文字の挿入"), MessageButtons::Ok);
        return;
    }
    frmText& dialog = textDialog();
    dialog.txtText()->setText(QString());
    window_.platform().showModal(&dialog);
    if (Variable::DialogCancel)
        return;

    const int slot = document.TextCount;
    TextItem& item = document.item(slot);
    item = TextItem{};
    readDialog(dialog, item);
    item.Left = 0;
    item.Top = 0;
    measure(item);
    // Only the new item is drawn; the selection and its frame stay as they were.
    window_.drawNewTextItem(slot);
    document.LabelChanged = true;
    document.TextCount = slot + 1;
}

void TextCommands::mnuEditTextEdit_Click() {
    if (refuseWithoutSelection(QStringLiteral("編集する文字を選択してください。")))
        return;
    LabelDocument& document = window_.document();
    frmText& dialog = textDialog();
    const TextItem& current = document.selectedItem();
    dialog.setTextSelected(current.Text);
    dialog.setFontName(current.FontName);
    dialog.setSizeText(QString::number(current.Size));
    dialog.setColorIndex(current.Color);
    window_.platform().showModal(&dialog);
    if (Variable::DialogCancel)
        return;

    TextItem& item = document.selectedItem();
    readDialog(dialog, item);
    measure(item);
    window_.RedrawLabel();
    document.LabelChanged = true;
}

void TextCommands::mnuEditTextDel_Click() {
    if (refuseWithoutSelection(QStringLiteral("削除する文字を選択してください。")))
        return;
    LabelDocument& document = window_.document();
    const int last = document.TextCount - 1;
    for (int slot = document.SelectedText; slot < last; ++slot)
        document.item(slot) = document.item(slot + 1);
    document.item(last) = TextItem{};
    document.TextCount = last;
    document.SelectedText = -1;
    window_.RedrawLabel();
    document.LabelChanged = true;
}

void TextCommands::mnuEditTextCenterItem_Click(int index) {
    if (refuseWithoutSelection(QStringLiteral("移動する文字を選択してください。")))
        return;
    LabelDocument& document = window_.document();
    TextItem& item = document.selectedItem();
    if (index == 0)
        item.Left = (LabelSideMm - item.Width) / 2;
    else if (index == 1)
        item.Top = (LabelSideMm - item.Height) / 2;
    else
        return;
    window_.RedrawLabel();
    document.LabelChanged = true;
}
