#pragma once

#include "document/LabelContext.h"
#include "document/TextStyle.h"

#include <QPointer>
#include <optional>

class LabelHistory;
class frmText;
struct TextItem;

// Inserting, editing, deleting, centring and nudging text items.
class TextCommands {
public:
    TextCommands(const LabelContext& context, LabelHistory& history);
    ~TextCommands();

    void mnuEditTextIns_Click();
    void mnuEditTextEdit_Click();
    void mnuEditTextDel_Click();
    void mnuEditTextCenterItem_Click(int index);
    // Moves the selected item by the given millimetres (the arrow keys); a run of moves made
    // within a second of each other is one undo step. False when nothing is selected.
    bool nudgeSelected(float dxMm, float dyMm, qint64 atMs);

    // The text settings dialog, created on first use (and anew after its close box).
    frmText& textDialog();

    // The font, size and colour of the text last inserted or edited; nothing before the first.
    const std::optional<TextStyle>& lastStyle() const { return lastStyle_; }

private:
    bool refuseWithoutSelection(const QString& message);
    // The item as the dialog's controls make it from `base` (its place and what the dialog does
    // not show), measured for the view.
    TextItem itemFromDialog(const frmText& dialog, const TextItem& base) const;
    void showWithPreview(frmText& dialog, const TextItem& base, int replacing);

    LabelContext context_;
    LabelHistory& history_;
    QPointer<frmText> dialog_;
    std::optional<TextStyle> lastStyle_;
};
