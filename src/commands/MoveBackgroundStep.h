#pragma once

#include "commands/BackgroundStep.h"

// One background drag, press to release (or to the limit that ended it).
class MoveBackgroundStep : public BackgroundStep {
public:
    MoveBackgroundStep(OpenLabel& label, const BackgroundDragAnchor& anchor);
};
