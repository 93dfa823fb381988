#pragma once

#include "document/LabelContext.h"

#include <QPointer>

class LabelHistory;
class TextCommands;
class TrackListDialog;

// 編集 → 曲目リストの挿入: the track list dialog, its proposal drawn over the label while it is
// open, and its items inserted as one undo step.
class TrackListCommands {
public:
    TrackListCommands(const LabelContext& context, LabelHistory& history, TextCommands& text);
    ~TrackListCommands();

    void mnuEditTracks_Click();

    // Created on first use and kept, so that it opens with the choices last made.
    TrackListDialog& dialog();

private:
    LabelContext context_;
    LabelHistory& history_;
    TextCommands& text_;
    QPointer<TrackListDialog> dialog_;
    bool styleChosen_ = false; // a list was inserted: its style is the one to start from
};
