#pragma once

#include "document/LabelContext.h"

#include <QString>

namespace LabelFileStore {
enum class SaveFault;
}

// New, Open, Save and Save As, with the save-first prompt; also the save that closing the window
// offers and the opening of a document named on the command line.
class DocumentCommands {
public:
    explicit DocumentCommands(const LabelContext& context) : context_(context) {}

    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileSave_Click(int index);

    // Saves to DocumentPath, asking for a name first when there is none (or always, for Save
    // As). A failure is reported to the user. True when the document was written.
    bool saveDocument(bool alwaysAskForName);

    // Writes the document to the path and clears LabelChanged; false on any failure, whose
    // kind goes to `fault` when given.
    bool SaveLabelFile(const QString& path, LabelFileStore::SaveFault* fault = nullptr);

    // Reads the file and, only when all of it could be read, replaces the document with it.
    // Refusals are reported to the user; the current document then stays as it was. Fonts it
    // names that are not installed are reported once, with the fonts shown instead.
    bool openDocumentFile(const QString& path);

    // The question before New and Open ("save the changes first?"); false when the command
    // should end. Closing the window asks it in words of its own.
    bool saveFirst();
    bool saveFirst(const QString& question, const QString& title);

    // Where an opened document's picture is kept for the rest of the run.
    QString temporaryPicturePath() const;

    // Removes the temporary picture file (at shut-down).
    void removeTemporaryPicture();

private:
    void tellSubstitutedFonts();

    LabelContext context_;
};
