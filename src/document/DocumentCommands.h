#pragma once

#include <QString>

class LabelWindow;

// New, Open, Save and Save As, with the save-first prompt.
class DocumentCommands {
public:
    explicit DocumentCommands(LabelWindow& window) : window_(window) {}

    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileSave_Click(int index);

private:
    LabelWindow& window_;
};
