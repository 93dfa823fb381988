#pragma once

#include "commands/LabelStep.h"

// A new text item at the end of the table. The selection stays as it was.
class InsertTextStep : public LabelStep {
public:
    InsertTextStep(OpenLabel& label, const TextItem& item);
    void redo() override;
    void undo() override;

private:
    TextItem item_;
    int slot_;
    int selection_;
};
