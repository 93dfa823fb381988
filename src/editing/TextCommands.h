#pragma once

class LabelWindow;

// Inserting, editing, deleting and centring text items.
class TextCommands {
public:
    explicit TextCommands(LabelWindow& window) : window_(window) {}

    void mnuEditTextIns_Click();
    void mnuEditTextEdit_Click();
    void mnuEditTextDel_Click();
    void mnuEditTextCenterItem_Click(int index);

private:
    LabelWindow& window_;
};
