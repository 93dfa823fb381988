#include "commands/LabelStep.h"

void LabelStep::showWithSelection(int selectedText) {
    label_.document.SelectedText = selectedText;
    surface_.RedrawLabel();
}
