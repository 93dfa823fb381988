#include "platform/QtPlatform.h"

#include "platform/pictures/PictureLoader.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPrintDialog>
#include <QScreen>
#include <QSettings>

namespace {
QSettings openSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                     QStringLiteral("Gyroplatecomposer"), QStringLiteral("Gyroplatecomposer"));
}

const QString Section = QStringLiteral("Settings/");
} // namespace

QString QtPlatform::readSetting(const QString& key, const QString& defaultValue) {
    return openSettings().value(Section + key, defaultValue).toString();
}

void QtPlatform::writeSetting(const QString& key, const QString& value) {
    QSettings settings = openSettings();
    settings.setValue(Section + key, value);
    settings.sync();
}

QString QtPlatform::qtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        entries << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return entries.join(QStringLiteral(";;"));
}

bool QtPlatform::showOpenDialog(QWidget* parent, FileDialogState& dialog) {
    const QString chosen =
        QFileDialog::getOpenFileName(parent, QString(), dialog.fileName, qtFilter(dialog.filter));
    if (chosen.isEmpty())
        return false;
    dialog.fileName = chosen;
    return true;
}

std::unique_ptr<QFileDialog> QtPlatform::saveDialog(QWidget* parent,
                                                    const FileDialogState& dialog) {
    auto fileDialog =
        std::make_unique<QFileDialog>(parent, QString(), dialog.fileName, qtFilter(dialog.filter));
    fileDialog->setAcceptMode(QFileDialog::AcceptSave);
    // "Description|*.gpc;..." gives "gpc".
    const QString firstPattern =
        dialog.filter.section(QLatin1Char('|'), 1, 1).section(QLatin1Char(';'), 0, 0);
    if (firstPattern.startsWith(QLatin1String("*.")) &&
        firstPattern.indexOf(QLatin1Char('*'), 1) < 0)
        fileDialog->setDefaultSuffix(firstPattern.mid(2));
    return fileDialog;
}

bool QtPlatform::showSaveDialog(QWidget* parent, FileDialogState& dialog) {
    const std::unique_ptr<QFileDialog> fileDialog = saveDialog(parent, dialog);
    if (fileDialog->exec() != QDialog::Accepted || fileDialog->selectedFiles().isEmpty())
        return false;
    const QString chosen = fileDialog->selectedFiles().constFirst();
    if (chosen.isEmpty())
        return false;
    dialog.fileName = chosen;
    return true;
}

MessageAnswer QtPlatform::showMessage(QWidget* parent, const QString& text, const QString& title,
                                      MessageButtons buttons) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::NoButton, parent);
    if (buttons == MessageButtons::Ok) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return MessageAnswer::Ok;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    default: return MessageAnswer::Cancel;
    }
}

void QtPlatform::showModal(QDialog* dialog) { dialog->exec(); }

bool QtPlatform::showPrintDialog(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    // The label is one page: no page ranges, selection or current page to choose.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    return dialog.exec() == QDialog::Accepted;
}

Picture QtPlatform::loadPicture(const QString& path, QString* reason) {
    PictureLoader::LoadResult result = PictureLoader::loadFile(path);
    if (reason)
        *reason = result.reason;
    return result.picture.value_or(Picture());
}

QStringList QtPlatform::fontFamilies() { return QFontDatabase::families(); }

QString preferredJapaneseFamily(const QStringList& families) {
    for (const char* name : {"IPAPGothic", "IPAGothic", "IPAPMincho", "IPAMincho", "Noto Sans CJK JP"}) {
        if (families.contains(QLatin1String(name)))
            return QLatin1String(name);
    }
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    return japanese.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()
                              : japanese.first();
}

QString QtPlatform::defaultFontFamily() { return preferredJapaneseFamily(fontFamilies()); }

double QtPlatform::twipsPerPixel() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

QSize QtPlatform::screenSizeTwips() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize pixels = screen ? screen->size() : QSize(1024, 768);
    const double perPixel = twipsPerPixel();
    return QSize(qRound(pixels.width() * perPixel), qRound(pixels.height() * perPixel));
}

QString QtPlatform::temporaryFolder() {
    if (!temporaryDir_)
        temporaryDir_ = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                        QStringLiteral("/gyroplatecomposer-XXXXXX"));
    return temporaryDir_->isValid() ? temporaryDir_->path() : QString();
}
