#pragma once

#include "document/OpenLabel.h"

#include <QList>
#include <QUndoCommand>

// One step of the undo history: a change to the open label that can be taken back and made again.
// Steps keep the values before and after, so making one again never depends on what the view did
// in between. They change the label's data only; the label tells the view what changed.
class LabelStep : public QUndoCommand {
public:
    LabelStep(OpenLabel& label, const QString& name) : QUndoCommand(name), label_(label) {}

    // The pictures the step keeps alive, for the history's memory limit.
    virtual QList<Picture> pictures() const { return {}; }

protected:
    OpenLabel& label_;
};
