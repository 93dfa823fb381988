#include "commands/EditTextStep.h"

#include "commands/StepNames.h"

EditTextStep::EditTextStep(OpenLabel& label, int index, const TextItem& after)
    : EditTextStep(label, StepNames::editText(), index, after) {}

EditTextStep::EditTextStep(OpenLabel& label, const QString& name, int index, const TextItem& after)
    : LabelStep(label, name), index_(index), before_(label.document.item(index)), after_(after) {}

void EditTextStep::redo() {
    OpenLabel::Edit edit(label_);
    label_.setItem(index_, after_);
    label_.select(index_);
}

void EditTextStep::undo() {
    OpenLabel::Edit edit(label_);
    label_.setItem(index_, before_);
    label_.select(index_);
}
