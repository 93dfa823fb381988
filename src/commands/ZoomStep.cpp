#include "commands/ZoomStep.h"

#include "commands/StepNames.h"

namespace {
constexpr int ZoomId = 1;
constexpr qint64 RunGapMs = 1000;

BackgroundState zoomed(const OpenLabel& label, int step) {
    BackgroundState after = label.background();
    after.scaleStep = step;
    after.width = BackgroundScale::shownSideMm(step, label.zoomBaseMm);
    after.height = after.width;
    return after;
}
} // namespace

ZoomStep::ZoomStep(OpenLabel& label, int step, qint64 atMs, int gesture)
    : BackgroundStep(label, StepNames::zoomBackground(), label.background(), zoomed(label, step)),
      lastMs_(atMs), gesture_(gesture) {}

int ZoomStep::id() const {
    return ZoomId;
}

bool ZoomStep::mergeWith(const QUndoCommand* other) {
    const auto* next = static_cast<const ZoomStep*>(other);
    const bool sameDrag = gesture_ != 0 && next->gesture_ == gesture_;
    const bool soonAfter = next->lastMs_ >= lastMs_ && next->lastMs_ - lastMs_ <= RunGapMs;
    if (!sameDrag && !soonAfter)
        return false;
    after_ = next->after_;
    lastMs_ = next->lastMs_;
    gesture_ = next->gesture_;
    return true;
}
