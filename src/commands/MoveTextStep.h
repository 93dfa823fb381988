#pragma once

#include "commands/EditTextStep.h"

// One item moved: by a mouse drag (press to release), or by the arrow keys, where a run of
// presses on the same item, each within a second of the last, is one step.
class MoveTextStep : public EditTextStep {
public:
    enum class Gesture { Drag, Nudge };

    MoveTextStep(OpenLabel& label, int index, const TextItem& moved, Gesture gesture,
                 qint64 atMs = 0);
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

private:
    Gesture gesture_;
    qint64 lastMs_;
};
