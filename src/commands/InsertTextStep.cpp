#include "commands/InsertTextStep.h"

#include "commands/StepNames.h"

InsertTextStep::InsertTextStep(OpenLabel& label, const TextItem& item)
    : LabelStep(label, StepNames::insertText()), item_(item), slot_(label.document.itemCount()),
      selection_(label.document.SelectedText) {}

void InsertTextStep::redo() {
    OpenLabel::Edit edit(label_);
    label_.insertItem(slot_, item_);
    label_.select(selection_);
}

void InsertTextStep::undo() {
    OpenLabel::Edit edit(label_);
    label_.removeItem(slot_);
    label_.select(selection_);
}
