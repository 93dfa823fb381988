#include "commands/MoveBackgroundStep.h"

#include "commands/StepNames.h"

namespace {
BackgroundSnapshot beforeDrag(const OpenLabel& label, const BackgroundDragAnchor& anchor) {
    BackgroundSnapshot before = BackgroundSnapshot::of(label);
    before.left = anchor.backLeft;
    before.top = anchor.backTop;
    return before;
}
} // namespace

// Made at the release, when the label already shows the new placement.
MoveBackgroundStep::MoveBackgroundStep(OpenLabel& label, LabelSurface& surface,
                                       const BackgroundDragAnchor& anchor)
    : BackgroundStep(label, surface, StepNames::moveBackground(), beforeDrag(label, anchor),
                     BackgroundSnapshot::of(label)) {}
