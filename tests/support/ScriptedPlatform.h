#pragma once

#include "platform/Platform.h"

#include <QMap>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <optional>

// A platform for tests: every dialog and message box is answered from a queue, and everything
// shown is recorded. Nothing ever waits on a real modal window.
class ScriptedPlatform : public Platform {
public:
    struct Message {
        QString text;
        QString title;
        MessageButtons buttons;
    };
    struct FileDialogShown {
        bool save;
        QString filter;
        QString fileName; // as the dialog was opened
    };

    // Answers, consumed in order.
    // nullopt = cancel; for several files at once, the paths separated by newlines.
    std::deque<std::optional<QString>> fileAnswers;
    std::deque<MessageAnswer> messageAnswers;        // for Yes/No/Cancel boxes
    std::deque<std::function<void(QDialog*)>> modalActions;
    std::deque<std::function<bool(QPrinter&)>> printAnswers; // false = cancel
    // A preview answer gets the printer and the page's painting function, as the preview would.
    std::deque<std::function<void(QPrinter&, const std::function<void(QPrinter&)>&)>>
        previewAnswers;
    std::deque<int> filterAnswers; // the filter chosen in the next save dialog (default: kept)
    // Runs while a message box is up, as timers and finished work would.
    std::function<void()> whileMessageShows;

    // What was shown.
    QList<Message> messages;
    QList<FileDialogShown> fileDialogs;
    QList<QDialog*> modalsShown;
    int printDialogsShown = 0;
    int previewsShown = 0;
    QStringList unexpected; // dialogs shown with no answer queued

    QMap<QString, QString> settings;
    bool settingsWritable = true; // false: every write fails and stores nothing
    // The primary screen first; 1024 x 768 pixels at 15 twips per pixel unless a test says.
    QList<ScreenTwips> screens = {{QRect(0, 0, 15360, 11520), QRect(0, 0, 15360, 11520)}};
    QStringList fonts;       // empty: the installed families
    QString defaultFont;     // empty: a Japanese family

    QString readSetting(const QString& key, const QString& defaultValue) override;
    bool writeSetting(const QString& key, const QString& value) override;
    bool showOpenDialog(QWidget* parent, FileDialogState& dialog) override;
    bool showSaveDialog(QWidget* parent, FileDialogState& dialog) override;
    bool showOpenFilesDialog(QWidget* parent, FileDialogState& dialog,
                             QStringList& chosen) override;
    bool showFolderDialog(QWidget* parent, QString& folder) override;
    MessageAnswer showMessage(QWidget* parent, const QString& text, const QString& title,
                              MessageButtons buttons) override;
    void showModal(QDialog* dialog) override;
    bool showPrintDialog(QWidget* parent, QPrinter& printer) override;
    void showPrintPreview(QWidget* parent, QPrinter& printer,
                          const std::function<void(QPrinter&)>& paint) override;
    Picture loadPicture(const QString& path, QString* reason) override;
    QStringList fontFamilies() override;
    QString defaultFontFamily() override;
    QList<ScreenTwips> screensTwips() override { return screens; }
    double twipsPerPixel() override { return 15.0; }
    QString temporaryFolder() override;

    QString lastMessageText() const { return messages.isEmpty() ? QString() : messages.last().text; }

private:
    bool answerFileDialog(bool save, FileDialogState& dialog);
    QTemporaryDir temporaryDir_;
};
