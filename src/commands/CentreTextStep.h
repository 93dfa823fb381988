#pragma once

#include "commands/LabelStep.h"

// One item centred across or down the disc.
class CentreTextStep : public LabelStep {
public:
    CentreTextStep(OpenLabel& label, LabelSurface& surface, int index, CentreAxis axis);
    void redo() override;
    void undo() override;

private:
    int index_;
    CentreAxis axis_;
    float left_;
    float top_;
};
