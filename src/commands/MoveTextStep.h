#pragma once

#include "commands/LabelStep.h"

#include <QPointF>

// One item moved: by a mouse drag (press to release), or by the arrow keys, where a run of
// presses on the same item, each within a second of the last, is one step.
class MoveTextStep : public LabelStep {
public:
    enum class Gesture { Drag, Nudge };

    MoveTextStep(OpenLabel& label, LabelSurface& surface, int index, QPointF fromMm, QPointF toMm,
                 Gesture gesture, qint64 atMs = 0);
    void redo() override;
    void undo() override;
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

private:
    int index_;
    QPointF from_;
    QPointF to_;
    Gesture gesture_;
    qint64 lastMs_;
};
