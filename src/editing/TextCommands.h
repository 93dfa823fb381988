#pragma once

#include <QPointer>

class LabelWindow;
class frmText;
struct TextItem;

// Inserting, editing, deleting and centring text items.
class TextCommands {
public:
    explicit TextCommands(LabelWindow& window);
    ~TextCommands();

    void mnuEditTextIns_Click();
    void mnuEditTextEdit_Click();
    void mnuEditTextDel_Click();
    void mnuEditTextCenterItem_Click(int index);

    // The text settings dialog, created on first use (and anew after its close box).
    frmText& textDialog();

private:
    bool refuseWithoutSelection(const QString& message);
    void readDialog(const frmText& dialog, TextItem& item);
    void measure(TextItem& item);

    LabelWindow& window_;
    QPointer<frmText> dialog_;
};
