#pragma once

#include "commands/BackgroundStep.h"

// A new scale step. Changes made by one drag of the scroll bar's thumb (the same gesture
// number), or each within a second of the last, are one step.
class ZoomStep : public BackgroundStep {
public:
    ZoomStep(OpenLabel& label, int step, qint64 atMs, int gesture);
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

private:
    qint64 lastMs_;
    int gesture_; // 0: not part of a thumb drag
};
