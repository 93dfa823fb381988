#pragma once

#include "commands/EditTextStep.h"
#include "shapes/Centring.h"

// One item centred across or down the disc.
class CentreTextStep : public EditTextStep {
public:
    CentreTextStep(OpenLabel& label, int index, CentreAxis axis);
};
