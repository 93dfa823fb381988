#pragma once

#include "document/LabelContext.h"

class LabelHistory;

// The background picture: choosing it, fitting it whole to the label, and its scale step.
class BackgroundCommands {
public:
    BackgroundCommands(const LabelContext& context, LabelHistory& history)
        : context_(context), history_(history) {}

    void mnuEditBack_Click();
    // What the command does once a file is chosen (also for a dropped picture). Refusals are
    // reported; the background then stays as it was.
    bool openBackgroundFile(const QString& path);
    void mnuEditBackFit_Click();
    // The scroll bar's new value, when it changed, and which drag of its thumb it belongs to (0:
    // none), for merging a run of changes into one undo step.
    void fsbZoom_Change(int value, qint64 atMs, int gesture);

private:
    LabelContext context_;
    LabelHistory& history_;
};
