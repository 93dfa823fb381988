#pragma once

#include "platform/Platform.h"

#include <QTemporaryDir>
#include <memory>

class QFileDialog;

// The desktop as Qt gives it: QSettings, Qt's file and print dialogs, message boxes without
// icons, the installed fonts and the primary screen.
class QtPlatform : public Platform {
public:
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
    QList<ScreenTwips> screensTwips() override;
    double twipsPerPixel() override;
    QString temporaryFolder() override;

    // "description|patterns|description|patterns" as Qt's "description (patterns);;...".
    static QString qtFilter(const QString& filter);

    // The save dialog for the state: a name typed without an extension gets the first pattern's
    // (".gpc" for documents), before the dialog asks about replacing an existing file.
    static std::unique_ptr<QFileDialog> saveDialog(QWidget* parent, const FileDialogState& dialog);

private:
    std::unique_ptr<QTemporaryDir> temporaryDir_;
};

// The family a new text item starts with: one with Japanese glyphs when installed.
QString preferredJapaneseFamily(const QStringList& families);
