#include "commands/EditTextStep.h"

#include "commands/StepNames.h"

EditTextStep::EditTextStep(OpenLabel& label, LabelSurface& surface, int index,
                           const TextItem& after)
    : LabelStep(label, surface, StepNames::editText()), index_(index),
      before_(label.document.item(index)), after_(after) {}

void EditTextStep::redo() {
    document().item(index_) = after_;
    showWithSelection(index_);
}

void EditTextStep::undo() {
    document().item(index_) = before_;
    showWithSelection(index_);
}
