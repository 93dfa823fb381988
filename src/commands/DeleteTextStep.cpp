#include "commands/DeleteTextStep.h"

#include "commands/StepNames.h"

DeleteTextStep::DeleteTextStep(OpenLabel& label, LabelSurface& surface, int index)
    : LabelStep(label, surface, StepNames::deleteText()), index_(index),
      item_(label.document.item(index)) {}

void DeleteTextStep::redo() {
    document().removeItem(index_);
    showWithSelection(-1);
}

void DeleteTextStep::undo() {
    document().insertItem(index_, item_);
    showWithSelection(index_);
}
