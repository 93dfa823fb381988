#include "commands/MoveBackgroundStep.h"

#include "commands/StepNames.h"

namespace {
BackgroundState beforeDrag(const OpenLabel& label, const BackgroundDragAnchor& anchor) {
    BackgroundState before = label.background();
    before.left = anchor.backLeft;
    before.top = anchor.backTop;
    return before;
}
} // namespace

// Made at the release, when the label already shows the new placement.
MoveBackgroundStep::MoveBackgroundStep(OpenLabel& label, const BackgroundDragAnchor& anchor)
    : BackgroundStep(label, StepNames::moveBackground(), beforeDrag(label, anchor),
                     label.background()) {}
