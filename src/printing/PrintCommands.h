#pragma once

class LabelWindow;

// The print position dialog and printing the label.
class PrintCommands {
public:
    explicit PrintCommands(LabelWindow& window) : window_(window) {}

    void mnuFilePrintSetup_Click();
    void mnuFilePrint_Click();

private:
    LabelWindow& window_;
};
