#pragma once

#include <QString>

class LabelWindow;

// The background picture: choosing it, and its scale step.
class BackgroundCommands {
public:
    explicit BackgroundCommands(LabelWindow& window) : window_(window) {}

    void mnuEditBack_Click();
    // What the command does once a file is chosen (also for a dropped picture). Refusals are
    // reported; the background then stays as it was.
    bool openBackgroundFile(const QString& path);
    void fsbZoom_Change();

private:
    LabelWindow& window_;
};
