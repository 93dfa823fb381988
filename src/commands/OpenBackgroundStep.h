#pragma once

#include "commands/BackgroundStep.h"

// A new background picture from its file, at its natural size from its top-left corner, step 0.
class OpenBackgroundStep : public BackgroundStep {
public:
    OpenBackgroundStep(OpenLabel& label, const Picture& picture, const QString& path);
};
