#pragma once

#include "commands/LabelStep.h"

#include <vector>

// A track list: its text items added at the end of the table as one step. The selection stays as
// it was.
class InsertTracksStep : public LabelStep {
public:
    InsertTracksStep(OpenLabel& label, std::vector<TextItem> items);
    void redo() override;
    void undo() override;

private:
    std::vector<TextItem> items_;
    int firstSlot_;
    int selection_;
};
