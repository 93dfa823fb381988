#pragma once

#include "commands/LabelStep.h"

// One item changed as a whole: whatever the text settings dialog changed in it (its text, font,
// size, colour or layout), or where centring put it. The item is selected after either way.
class EditTextStep : public LabelStep {
public:
    EditTextStep(OpenLabel& label, int index, const TextItem& after);

protected:
    EditTextStep(OpenLabel& label, const QString& name, int index, const TextItem& after);

public:
    void redo() override;
    void undo() override;

protected:
    int index_;
    TextItem before_;
    TextItem after_;
};
