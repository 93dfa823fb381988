#pragma once

#include "commands/LabelStep.h"

// One item taken out of the table; undo puts it back in its place, selected.
class DeleteTextStep : public LabelStep {
public:
    DeleteTextStep(OpenLabel& label, int index);
    void redo() override;
    void undo() override;

private:
    int index_;
    TextItem item_;
};
