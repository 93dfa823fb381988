#pragma once

#include "platform/pictures/Picture.h"

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>

class QDialog;
class QPrinter;
class QWidget;

// A file dialog's state as the commands see it: the filter ("description|patterns", entries
// separated by '|' pairs) and the file name, which a confirmed dialog replaces and a cancelled one
// leaves alone.
struct FileDialogState {
    QString filter;
    QString fileName;
    // The filter pair chosen (0 = the first); a save dialog opens on it and records the choice.
    int filterIndex = 0;
};

// One screen of the desktop in twips, in the desktop's coordinates (which need not start at the
// primary screen): all of it, and the part windows may use (without panels and task bars).
struct ScreenTwips {
    QRect whole;
    QRect available;
};

// Yes/No/Cancel defaults to Yes; Yes/No defaults to No (for questions where going on may waste
// material).
enum class MessageButtons { Ok, YesNoCancel, YesNo };
enum class MessageAnswer { Ok, Yes, No, Cancel };

// Everything the editor asks of the desktop. The window and the commands talk to the desktop only
// through this interface, so that tests can answer every dialog from a script.
class Platform {
public:
    virtual ~Platform() = default;

    // Settings store: application "Gyroplatecomposer", section "Settings", values as text.
    virtual QString readSetting(const QString& key, const QString& defaultValue) = 0;
    // False when the value could not be stored (a read-only or full settings file).
    virtual bool writeSetting(const QString& key, const QString& value) = 0;

    // File dialogs. False when the user cancelled; the file name is then unchanged.
    virtual bool showOpenDialog(QWidget* parent, FileDialogState& dialog) = 0;
    virtual bool showSaveDialog(QWidget* parent, FileDialogState& dialog) = 0;
    // Several files at once; the dialog's file name becomes the first, for the next opening.
    virtual bool showOpenFilesDialog(QWidget* parent, FileDialogState& dialog,
                                     QStringList& chosen) = 0;
    // A folder; `folder` is where the dialog starts and, when confirmed, the one chosen.
    virtual bool showFolderDialog(QWidget* parent, QString& folder) = 0;

    // A modal message box with a title, no icon; Yes is the default of Yes/No/Cancel.
    virtual MessageAnswer showMessage(QWidget* parent, const QString& text, const QString& title,
                                      MessageButtons buttons) = 0;

    // Shows one of the program's own dialogs modally and returns when it is hidden or closed.
    virtual void showModal(QDialog* dialog) = 0;

    // The print dialog for the given printer. False when cancelled.
    virtual bool showPrintDialog(QWidget* parent, QPrinter& printer) = 0;

    // The print preview for the given printer: `paint` draws the page onto whatever printer the
    // preview hands it (its own for showing, the chosen one when the user prints from there).
    virtual void showPrintPreview(QWidget* parent, QPrinter& printer,
                                  const std::function<void(QPrinter&)>& paint) = 0;

    // Picture loader: a picture, or an empty one with the reason in `reason`.
    virtual Picture loadPicture(const QString& path, QString* reason = nullptr) = 0;

    // The installed font families and the one a new text item starts with.
    virtual QStringList fontFamilies() = 0;
    virtual QString defaultFontFamily() = 0;

    // Every screen, the primary first (never empty), and twips per logical pixel.
    virtual QList<ScreenTwips> screensTwips() = 0;
    virtual double twipsPerPixel() = 0;

    // A private folder for this run's temporary files (created on first use, removed at exit).
    virtual QString temporaryFolder() = 0;
};
