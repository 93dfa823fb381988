#include "document/DocumentCommands.h"

#include "document/LabelWindow.h"

void DocumentCommands::mnuFileNew_Click() {}
void DocumentCommands::mnuFileOpen_Click() {}
void DocumentCommands::mnuFileSave_Click(int index) { (void)index; }
bool DocumentCommands::saveDocument(bool alwaysAskForName) { return !alwaysAskForName; }
bool DocumentCommands::SaveLabelFile(const QString&) { return false; }
bool DocumentCommands::openDocumentFile(const QString&) { return false; }
bool DocumentCommands::saveFirst() { return true; }
QString DocumentCommands::temporaryPicturePath() const { return QString(); }
void DocumentCommands::removeTemporaryPicture() {}
