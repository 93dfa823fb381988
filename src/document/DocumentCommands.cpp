#include "document/DocumentCommands.h"

#include "document/LabelWindow.h"

void DocumentCommands::mnuFileNew_Click() {}
void DocumentCommands::mnuFileOpen_Click() {}
void DocumentCommands::mnuFileSave_Click(int index) { (void)index; }
