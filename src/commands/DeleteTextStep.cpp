#include "commands/DeleteTextStep.h"

#include "commands/StepNames.h"

DeleteTextStep::DeleteTextStep(OpenLabel& label, int index)
    : LabelStep(label, StepNames::deleteText()), index_(index), item_(label.document.item(index)) {}

void DeleteTextStep::redo() {
    OpenLabel::Edit edit(label_);
    label_.removeItem(index_);
    label_.select(-1);
}

void DeleteTextStep::undo() {
    OpenLabel::Edit edit(label_);
    label_.insertItem(index_, item_);
    label_.select(index_);
}
