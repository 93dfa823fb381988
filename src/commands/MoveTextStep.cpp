#include "commands/MoveTextStep.h"

#include "commands/StepNames.h"

namespace {
constexpr int NudgeId = 2;
constexpr qint64 RunGapMs = 1000;
} // namespace

MoveTextStep::MoveTextStep(OpenLabel& label, int index, const TextItem& moved, Gesture gesture,
                           qint64 atMs)
    : EditTextStep(label, StepNames::moveText(), index, moved), gesture_(gesture), lastMs_(atMs) {}

int MoveTextStep::id() const {
    return gesture_ == Gesture::Nudge ? NudgeId : -1;
}

bool MoveTextStep::mergeWith(const QUndoCommand* other) {
    const auto* next = static_cast<const MoveTextStep*>(other);
    if (next->index_ != index_ || next->lastMs_ - lastMs_ > RunGapMs || next->lastMs_ < lastMs_)
        return false;
    after_ = next->after_;
    lastMs_ = next->lastMs_;
    return true;
}
