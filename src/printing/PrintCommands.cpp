#include "printing/PrintCommands.h"

#include "document/LabelWindow.h"

void PrintCommands::mnuFilePrintSetup_Click() {}
void PrintCommands::mnuFilePrint_Click() {}
