#include "commands/InsertTracksStep.h"

#include "commands/StepNames.h"

InsertTracksStep::InsertTracksStep(OpenLabel& label, LabelSurface& surface,
                                   std::vector<TextItem> items)
    : LabelStep(label, surface, StepNames::insertTrackList()), items_(std::move(items)),
      firstSlot_(label.document.itemCount()), selection_(label.document.SelectedText) {}

void InsertTracksStep::redo() {
    for (std::size_t i = 0; i < items_.size(); ++i)
        document().insertItem(firstSlot_ + int(i), items_[i]);
    showWithSelection(selection_);
}

void InsertTracksStep::undo() {
    for (std::size_t i = items_.size(); i-- > 0;)
        document().removeItem(firstSlot_ + int(i));
    showWithSelection(selection_);
}
