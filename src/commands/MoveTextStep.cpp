#include "commands/MoveTextStep.h"

#include "commands/StepNames.h"

namespace {
constexpr int NudgeId = 2;
constexpr qint64 RunGapMs = 1000;
} // namespace

MoveTextStep::MoveTextStep(OpenLabel& label, LabelSurface& surface, int index, QPointF fromMm,
                           QPointF toMm, Gesture gesture, qint64 atMs)
    : LabelStep(label, surface, StepNames::moveText()), index_(index), from_(fromMm), to_(toMm),
      gesture_(gesture), lastMs_(atMs) {}

void MoveTextStep::redo() {
    document().moveItem(index_, float(to_.x()), float(to_.y()));
    showWithSelection(index_);
}

void MoveTextStep::undo() {
    document().moveItem(index_, float(from_.x()), float(from_.y()));
    showWithSelection(index_);
}

int MoveTextStep::id() const {
    return gesture_ == Gesture::Nudge ? NudgeId : -1;
}

bool MoveTextStep::mergeWith(const QUndoCommand* other) {
    const auto* next = static_cast<const MoveTextStep*>(other);
    if (next->index_ != index_ || next->lastMs_ - lastMs_ > RunGapMs || next->lastMs_ < lastMs_)
        return false;
    to_ = next->to_;
    lastMs_ = next->lastMs_;
    return true;
}
