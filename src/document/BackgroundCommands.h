#pragma once

class LabelWindow;

// The background picture: choosing it, and its scale step.
class BackgroundCommands {
public:
    explicit BackgroundCommands(LabelWindow& window) : window_(window) {}

    void mnuEditBack_Click();
    void fsbZoom_Change();

private:
    LabelWindow& window_;
};
