#include "commands/InsertTracksStep.h"

#include "commands/StepNames.h"

InsertTracksStep::InsertTracksStep(OpenLabel& label, std::vector<TextItem> items)
    : LabelStep(label, StepNames::insertTrackList()), items_(std::move(items)),
      firstSlot_(label.document.itemCount()), selection_(label.document.SelectedText) {}

void InsertTracksStep::redo() {
    OpenLabel::Edit edit(label_);
    for (std::size_t i = 0; i < items_.size(); ++i)
        label_.insertItem(firstSlot_ + int(i), items_[i]);
    label_.select(selection_);
}

void InsertTracksStep::undo() {
    OpenLabel::Edit edit(label_);
    for (std::size_t i = items_.size(); i-- > 0;)
        label_.removeItem(firstSlot_ + int(i));
    label_.select(selection_);
}
