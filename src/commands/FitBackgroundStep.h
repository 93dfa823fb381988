#pragma once

#include "commands/BackgroundStep.h"

// The whole picture on the label: its shorter side fills the label, centred along the longer one,
// at step 0; the zoom then scales about that side.
class FitBackgroundStep : public BackgroundStep {
public:
    explicit FitBackgroundStep(OpenLabel& label);
};
