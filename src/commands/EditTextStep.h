#pragma once

#include "commands/LabelStep.h"

// Whatever the text settings dialog changed in one item.
class EditTextStep : public LabelStep {
public:
    EditTextStep(OpenLabel& label, LabelSurface& surface, int index, const TextItem& after);
    void redo() override;
    void undo() override;

private:
    int index_;
    TextItem before_;
    TextItem after_;
};
