#include "commands/InsertTextStep.h"

#include "commands/StepNames.h"

InsertTextStep::InsertTextStep(OpenLabel& label, LabelSurface& surface, const TextItem& item)
    : LabelStep(label, surface, StepNames::insertText()), item_(item),
      slot_(label.document.itemCount()), selection_(label.document.SelectedText) {}

void InsertTextStep::redo() {
    document().insertItem(slot_, item_);
    document().SelectedText = selection_;
    // The first time only the new item is drawn on top of what is shown.
    if (drawnOnce_)
        surface_.RedrawLabel();
    else
        surface_.drawNewTextItem(slot_);
    drawnOnce_ = true;
}

void InsertTextStep::undo() {
    document().removeItem(slot_);
    showWithSelection(selection_);
}
