#pragma once

#include "document/LabelSurface.h"
#include "document/OpenLabel.h"

#include <QList>
#include <QUndoCommand>

// One step of the undo history: a change to the open label that can be taken back and made again.
// Steps keep the values before and after, so making one again never depends on what the view did
// in between; each ends by restoring the selection that went with it and redrawing once.
class LabelStep : public QUndoCommand {
public:
    LabelStep(OpenLabel& label, LabelSurface& surface, const QString& name)
        : QUndoCommand(name), label_(label), surface_(surface) {}

    // The pictures the step keeps alive, for the history's memory limit.
    virtual QList<Picture> pictures() const { return {}; }

protected:
    LabelDocument& document() { return label_.document; }
    void showWithSelection(int selectedText);

    OpenLabel& label_;
    LabelSurface& surface_;
};
