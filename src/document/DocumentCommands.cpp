#include "document/DocumentCommands.h"

#include "document/FileMessages.h"
#include "document/LabelFileStore.h"
#include "platform/pictures/PictureLoader.h"

#include <QDir>
#include <QFile>
#include <cstdio>

namespace {
const QString ErrorTitle = QStringLiteral("エラー");

// Writes the picture's bytes to a staging file of this run's own; a file cut short is removed.
// Nothing is flushed to the disk: the file lives for the run only, and flushing a photo's tens of
// megabytes would hold up its first showing.
bool writeWholeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                         file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        file.remove();
        return false;
    }
    return true;
}
} // namespace

bool DocumentCommands::saveFirst() {
    if (!context_.document().LabelChanged)
        return true;
    const MessageAnswer answer = context_.platform.showMessage(
        context_.dialogParent, QStringLiteral("ラベルは変更されています。保存しますか？"),
        QStringLiteral("確認"), MessageButtons::YesNoCancel);
    if (answer == MessageAnswer::Cancel)
        return false;
    if (answer == MessageAnswer::No)
        return true;
    return saveDocument(false);
}

void DocumentCommands::mnuFileNew_Click() {
    if (!saveFirst())
        return;
    OpenLabel& label = context_.label;
    label.picture = Picture();
    context_.surface.backgroundReplaced();
    label.documentDialog.fileName.clear();
    label.backgroundDialog.fileName.clear();
    label.document.TextCount = 0;
    label.document.SelectedText = -1;
    context_.surface.RedrawLabel();
    label.document.LabelChanged = false;
    context_.surface.documentReplaced(QString());
}

void DocumentCommands::mnuFileOpen_Click() {
    if (!saveFirst())
        return;
    // The chosen name becomes DocumentPath only once the file has been read: a refused file must
    // not become the target of the next Save.
    FileDialogState dialog = context_.label.documentDialog;
    if (!context_.platform.showOpenDialog(context_.dialogParent, dialog))
        return;
    openDocumentFile(dialog.fileName);
}

bool DocumentCommands::openDocumentFile(const QString& path) {
    Platform& platform = context_.platform;
    LabelFileCodec::DecodeResult result = LabelFileStore::load(path);
    if (!result.file) {
        platform.showMessage(context_.dialogParent, FileMessages::openFailure(result.refusal),
                             ErrorTitle, MessageButtons::Ok);
        return false;
    }
    LabelFileCodec::DecodedFile& file = *result.file;

    // The picture is read from the bytes in hand (a JPEG kept compressed holds them, so a large
    // photo is held once) and goes to a staging file, which replaces the temporary picture (the
    // current document may still be using it) only once the picture has loaded.
    Picture picture;
    if (!file.picture.isEmpty()) {
        const QString staging = temporaryPicturePath() + QStringLiteral(".new");
        picture = PictureLoader::loadBytes(file.picture).picture.value_or(Picture());
        const bool kept = !picture.isEmpty() && !temporaryPicturePath().isEmpty() &&
                          writeWholeFile(staging, file.picture) &&
                          std::rename(QFile::encodeName(staging).constData(),
                                      QFile::encodeName(temporaryPicturePath()).constData()) == 0;
        file.picture.clear();
        if (!kept) {
            QFile::remove(staging);
            platform.showMessage(context_.dialogParent,
                                 QStringLiteral("画像を読み込めませんでした。"), ErrorTitle,
                                 MessageButtons::Ok);
            return false;
        }
    }

    OpenLabel& label = context_.label;
    LabelDocument& document = label.document;
    document.BackLeft = file.document.BackLeft;
    document.BackTop = file.document.BackTop;
    document.BackWidth = file.document.BackWidth;
    document.BackHeight = file.document.BackHeight;
    document.TextCount = file.document.TextCount;
    document.SelectedText = file.document.SelectedText;
    for (int i = 0; i < file.document.TextCount; ++i)
        document.item(i) = file.document.item(i);

    label.documentDialog.fileName = path;
    label.picture = picture;
    context_.surface.backgroundReplaced();
    // The stored placement is shown exactly as stored: the step is only shown, and the zoom
    // continues from it.
    label.scaleStep = picture.isEmpty() ? 0 : file.scaleStep;
    label.zoomBaseMm = BackgroundScale::baseFor(document.BackWidth, label.scaleStep);
    context_.surface.showScaleStep(label.scaleStep);
    if (!picture.isEmpty())
        label.backgroundDialog.fileName = temporaryPicturePath();
    else
        label.backgroundDialog.fileName.clear();
    context_.surface.RedrawLabel();
    document.LabelChanged = false;
    context_.surface.documentReplaced(path);
    return true;
}

void DocumentCommands::mnuFileSave_Click(int index) {
    saveDocument(index == 1);
}

bool DocumentCommands::saveDocument(bool alwaysAskForName) {
    FileDialogState& dialog = context_.label.documentDialog;
    if (alwaysAskForName || dialog.fileName.isEmpty()) {
        if (!context_.platform.showSaveDialog(context_.dialogParent, dialog))
            return false;
    }
    LabelFileStore::SaveFault fault = LabelFileStore::SaveFault::None;
    if (SaveLabelFile(dialog.fileName, &fault))
        return true;
    context_.platform.showMessage(context_.dialogParent, FileMessages::saveFailure(fault),
                                  ErrorTitle, MessageButtons::Ok);
    return false;
}

bool DocumentCommands::SaveLabelFile(const QString& path, LabelFileStore::SaveFault* fault) {
    OpenLabel& label = context_.label;
    const LabelFileStore::SaveResult result = LabelFileStore::save(
        path, label.document, std::int16_t(label.scaleStep), label.backgroundDialog.fileName);
    if (fault)
        *fault = result.fault;
    if (!result.ok)
        return false;
    label.document.LabelChanged = false;
    context_.surface.documentSaved(path);
    return true;
}

QString DocumentCommands::temporaryPicturePath() const {
    const QString folder = context_.platform.temporaryFolder();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(QStringLiteral("temp.tmp"));
}

void DocumentCommands::removeTemporaryPicture() {
    const QString path = temporaryPicturePath();
    if (!path.isEmpty())
        QFile::remove(path);
}
