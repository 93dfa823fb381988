#include "commands/CentreTextStep.h"

#include "commands/StepNames.h"

CentreTextStep::CentreTextStep(OpenLabel& label, LabelSurface& surface, int index, CentreAxis axis)
    : LabelStep(label, surface,
                axis == CentreAxis::Across ? StepNames::centreTextAcross()
                                           : StepNames::centreTextDown()),
      index_(index), axis_(axis), left_(label.document.item(index).Left),
      top_(label.document.item(index).Top) {}

void CentreTextStep::redo() {
    document().centreItem(index_, axis_);
    showWithSelection(index_);
}

void CentreTextStep::undo() {
    document().moveItem(index_, left_, top_);
    showWithSelection(index_);
}
