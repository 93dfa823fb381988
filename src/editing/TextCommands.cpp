#include "editing/TextCommands.h"

#include "document/LabelWindow.h"

void TextCommands::mnuEditTextIns_Click() {}
void TextCommands::mnuEditTextEdit_Click() {}
void TextCommands::mnuEditTextDel_Click() {}
void TextCommands::mnuEditTextCenterItem_Click(int index) { (void)index; }
