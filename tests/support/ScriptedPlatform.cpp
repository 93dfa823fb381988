#include "support/ScriptedPlatform.h"

#include "platform/QtPlatform.h"
#include "platform/pictures/PictureLoader.h"

#include <QDialog>
#include <QFontDatabase>

QString ScriptedPlatform::readSetting(const QString& key, const QString& defaultValue) {
    return settings.value(key, defaultValue);
}

bool ScriptedPlatform::writeSetting(const QString& key, const QString& value) {
    if (!settingsWritable)
        return false;
    settings.insert(key, value);
    return true;
}

bool ScriptedPlatform::answerFileDialog(bool save, FileDialogState& dialog) {
    fileDialogs.append(FileDialogShown{save, dialog.filter, dialog.fileName});
    if (fileAnswers.empty()) {
        unexpected << QStringLiteral("file dialog");
        return false;
    }
    const std::optional<QString> answer = fileAnswers.front();
    fileAnswers.pop_front();
    if (!answer)
        return false;
    dialog.fileName = *answer;
    if (save && !filterAnswers.empty()) {
        dialog.filterIndex = filterAnswers.front();
        filterAnswers.pop_front();
    }
    return true;
}

bool ScriptedPlatform::showOpenDialog(QWidget*, FileDialogState& dialog) {
    return answerFileDialog(false, dialog);
}

bool ScriptedPlatform::showSaveDialog(QWidget*, FileDialogState& dialog) {
    return answerFileDialog(true, dialog);
}

bool ScriptedPlatform::showOpenFilesDialog(QWidget*, FileDialogState& dialog, QStringList& chosen) {
    if (!answerFileDialog(false, dialog))
        return false;
    chosen = dialog.fileName.split(QLatin1Char('\n'));
    dialog.fileName = chosen.first();
    return true;
}

bool ScriptedPlatform::showFolderDialog(QWidget*, QString& folder) {
    FileDialogState dialog{QString(), folder};
    if (!answerFileDialog(false, dialog))
        return false;
    folder = dialog.fileName;
    return true;
}

MessageAnswer ScriptedPlatform::showMessage(QWidget*, const QString& text, const QString& title,
                                            MessageButtons buttons) {
    messages.append(Message{text, title, buttons});
    if (whileMessageShows)
        whileMessageShows();
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    if (messageAnswers.empty()) {
        unexpected << QStringLiteral("message: ") + text;
        return MessageAnswer::Cancel;
    }
    const MessageAnswer answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
}

void ScriptedPlatform::showModal(QDialog* dialog) {
    modalsShown.append(dialog);
    if (modalActions.empty()) {
        unexpected << QStringLiteral("modal: ") + dialog->objectName();
        dialog->hide();
        return;
    }
    const auto action = modalActions.front();
    modalActions.pop_front();
    // The dialog is shown (not modal, nothing waits) while the action drives it.
    dialog->show();
    action(dialog);
    if (dialog->isVisible())
        dialog->hide();
}

bool ScriptedPlatform::showPrintDialog(QWidget*, QPrinter& printer) {
    ++printDialogsShown;
    if (printAnswers.empty()) {
        unexpected << QStringLiteral("print dialog");
        return false;
    }
    const auto answer = printAnswers.front();
    printAnswers.pop_front();
    return answer(printer);
}

void ScriptedPlatform::showPrintPreview(QWidget*, QPrinter& printer,
                                        const std::function<void(QPrinter&)>& paint) {
    ++previewsShown;
    if (previewAnswers.empty()) {
        unexpected << QStringLiteral("print preview");
        return;
    }
    const auto answer = previewAnswers.front();
    previewAnswers.pop_front();
    answer(printer, paint);
}

Picture ScriptedPlatform::loadPicture(const QString& path, QString* reason) {
    PictureLoader::LoadResult result = PictureLoader::loadFile(path);
    if (reason)
        *reason = result.reason;
    return result.picture.value_or(Picture());
}

QStringList ScriptedPlatform::fontFamilies() {
    return fonts.isEmpty() ? QFontDatabase::families() : fonts;
}

QString ScriptedPlatform::defaultFontFamily() {
    return defaultFont.isEmpty() ? preferredJapaneseFamily(fontFamilies()) : defaultFont;
}

QString ScriptedPlatform::temporaryFolder() { return temporaryDir_.path(); }
