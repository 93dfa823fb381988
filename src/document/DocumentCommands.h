#pragma once

#include <QString>
#include <functional>

class LabelWindow;

// New, Open, Save and Save As, with the save-first prompt; also the save that closing the window
// offers and the opening of a document named on the command line.
class DocumentCommands {
public:
    explicit DocumentCommands(LabelWindow& window) : window_(window) {}

    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileSave_Click(int index);

    // Saves to DocumentPath, asking for a name first when there is none (or always, for Save
    // As). A failure is reported to the user. True when the document was written.
    bool saveDocument(bool alwaysAskForName);

    // Writes the document to the path and clears LabelChanged; false on any failure.
    bool SaveLabelFile(const QString& path);

    // Reads the file and, only when all of it could be read, replaces the document with it.
    // Refusals are reported to the user; the current document then stays as it was.
    bool openDocumentFile(const QString& path);

    // The question before New and Open ("save the changes first?"); false when the command
    // should end.
    bool saveFirst();

    // Told the path of every document opened or saved (for the recent documents).
    void setFileUsedHandler(std::function<void(const QString&)> handler) {
        fileUsed_ = std::move(handler);
    }

    // Where an opened document's picture is kept for the rest of the run.
    QString temporaryPicturePath() const;

    // Removes the temporary picture file (at shut-down).
    void removeTemporaryPicture();

private:
    LabelWindow& window_;
    std::function<void(const QString&)> fileUsed_;
};
