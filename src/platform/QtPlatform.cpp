#include "platform/QtPlatform.h"

#include "platform/fonts/FontCatalog.h"
#include "platform/pictures/PictureLoader.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QSettings>
#include <algorithm>

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

bool QtPlatform::writeSetting(const QString& key, const QString& value) {
    QSettings settings = openSettings();
    if (!settings.isWritable())
        return false;
    settings.setValue(Section + key, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
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

bool QtPlatform::showOpenFilesDialog(QWidget* parent, FileDialogState& dialog,
                                     QStringList& chosen) {
    const QStringList files =
        QFileDialog::getOpenFileNames(parent, QString(), dialog.fileName, qtFilter(dialog.filter));
    if (files.isEmpty())
        return false;
    chosen = files;
    dialog.fileName = files.first();
    return true;
}

bool QtPlatform::showFolderDialog(QWidget* parent, QString& folder) {
    const QString chosen = QFileDialog::getExistingDirectory(parent, QString(), folder);
    if (chosen.isEmpty())
        return false;
    folder = chosen;
    return true;
}

namespace {
// "Description (*.gpc *.xyz)" gives "gpc": the suffix a name typed without one gets.
QString suffixOf(const QString& nameFilter) {
    const QString first = nameFilter.section(QLatin1Char('('), 1).section(QLatin1Char(')'), 0, 0)
                              .section(QLatin1Char(' '), 0, 0);
    if (first.startsWith(QLatin1String("*.")) && first.indexOf(QLatin1Char('*'), 1) < 0)
        return first.mid(2);
    return QString();
}
} // namespace

std::unique_ptr<QFileDialog> QtPlatform::saveDialog(QWidget* parent,
                                                    const FileDialogState& dialog) {
    const QStringList filters = qtFilter(dialog.filter).split(QStringLiteral(";;"));
    auto fileDialog = std::make_unique<QFileDialog>(parent, QString(), dialog.fileName,
                                                    filters.join(QStringLiteral(";;")));
    fileDialog->setAcceptMode(QFileDialog::AcceptSave);
    QFileDialog* shown = fileDialog.get();
    const auto useSuffixOf = [shown](const QString& nameFilter) {
        shown->setDefaultSuffix(suffixOf(nameFilter));
    };
    QObject::connect(shown, &QFileDialog::filterSelected, shown, useSuffixOf);
    const QString selected = filters.value(dialog.filterIndex, filters.value(0));
    shown->selectNameFilter(selected);
    useSuffixOf(selected);
    return fileDialog;
}

// The dialog opens on the type chosen last time and records the one chosen now.
bool QtPlatform::showSaveDialog(QWidget* parent, FileDialogState& dialog) {
    const std::unique_ptr<QFileDialog> fileDialog = saveDialog(parent, dialog);
    if (fileDialog->exec() != QDialog::Accepted || fileDialog->selectedFiles().isEmpty())
        return false;
    const QString chosen = fileDialog->selectedFiles().constFirst();
    if (chosen.isEmpty())
        return false;
    const QStringList filters = qtFilter(dialog.filter).split(QStringLiteral(";;"));
    dialog.fileName = chosen;
    dialog.filterIndex = std::max<int>(0, int(filters.indexOf(fileDialog->selectedNameFilter())));
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
    if (buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
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

void QtPlatform::showPrintPreview(QWidget* parent, QPrinter& printer,
                                  const std::function<void(QPrinter&)>& paint) {
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested,
                     [&paint](QPrinter* target) { paint(*target); });
    dialog.exec();
}

Picture QtPlatform::loadPicture(const QString& path, QString* reason) {
    PictureLoader::LoadResult result = PictureLoader::loadFile(path);
    if (reason)
        *reason = result.reason;
    return result.picture.value_or(Picture());
}

QStringList QtPlatform::fontFamilies() { return QFontDatabase::families(); }

QString preferredJapaneseFamily(const QStringList& families) {
    // By any of its names: a Japanese desktop lists "IPA Pゴシック".
    const FontCatalog& catalog = FontCatalog::installed();
    for (const QString& preferred : FontCatalog::japanesePreference()) {
        for (const QString& name : catalog.namesOf(preferred)) {
            if (families.contains(name))
                return name;
        }
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

QList<ScreenTwips> QtPlatform::screensTwips() {
    const double perPixel = twipsPerPixel();
    const auto twips = [perPixel](const QRect& pixels) {
        return QRect(qRound(pixels.left() * perPixel), qRound(pixels.top() * perPixel),
                     qRound(pixels.width() * perPixel), qRound(pixels.height() * perPixel));
    };
    QList<QScreen*> screens = QGuiApplication::screens();
    // The primary first: its size gives a first start's placement.
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        screens.removeAll(primary);
        screens.prepend(primary);
    }
    QList<ScreenTwips> result;
    for (const QScreen* screen : screens)
        result.append(ScreenTwips{twips(screen->geometry()), twips(screen->availableGeometry())});
    if (result.isEmpty()) // no screen at all: a plain one, so that the window has a size
        result.append(ScreenTwips{twips(QRect(0, 0, 1024, 768)), twips(QRect(0, 0, 1024, 768))});
    return result;
}

QString QtPlatform::temporaryFolder() {
    if (!temporaryDir_)
        temporaryDir_ = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                        QStringLiteral("/gyroplatecomposer-XXXXXX"));
    return temporaryDir_->isValid() ? temporaryDir_->path() : QString();
}
