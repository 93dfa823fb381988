#include "document/DocumentCommands.h"

#include "document/LabelFileStore.h"
#include "document/LabelWindow.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cstdio>

namespace {
const QString ErrorTitle = QStringLiteral("エラー");

// Writes the picture's bytes to a file in one piece: a reader never sees half of them.
bool writeWholeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
} // namespace

bool DocumentCommands::saveFirst() {
    if (!window_.document().LabelChanged)
        return true;
    const MessageAnswer answer = window_.platform().showMessage(
        window_.dialogParent(), QStringLiteral("ラベルは変更されています。保存しますか？"),
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
    LabelDocument& document = window_.document();
    window_.setBackgroundPicture(Picture());
    window_.documentDialog().fileName.clear();
    window_.backgroundDialog().fileName.clear();
    document.TextCount = 0;
    document.SelectedText = -1;
    window_.RedrawLabel();
    document.LabelChanged = false;
}

void DocumentCommands::mnuFileOpen_Click() {
    if (!saveFirst())
        return;
    // The chosen name becomes DocumentPath only once the file has been read: a refused file must
    // not become the target of the next Save.
    FileDialogState dialog = window_.documentDialog();
    if (!window_.platform().showOpenDialog(window_.dialogParent(), dialog))
        return;
    openDocumentFile(dialog.fileName);
}

bool DocumentCommands::openDocumentFile(const QString& path) {
    Platform& platform = window_.platform();
    LabelFileCodec::DecodeResult result = LabelFileStore::load(path);
    if (!result.file) {
        platform.showMessage(window_.dialogParent(),
                             QStringLiteral("Gyroplatecomposer のファイルではありません。"),
                             ErrorTitle, MessageButtons::Ok);
        return false;
    }
    LabelFileCodec::DecodedFile& file = *result.file;

    // The picture goes to a staging file first; it replaces the temporary picture (which the
    // current document may still be using) only once it has loaded.
    Picture picture;
    if (!file.picture.isEmpty()) {
        const QString staging = temporaryPicturePath() + QStringLiteral(".new");
        if (temporaryPicturePath().isEmpty() || !writeWholeFile(staging, file.picture))
            picture = Picture();
        else
            picture = platform.loadPicture(staging);
        if (picture.isEmpty() ||
            std::rename(QFile::encodeName(staging).constData(),
                        QFile::encodeName(temporaryPicturePath()).constData()) != 0) {
            QFile::remove(staging);
            platform.showMessage(window_.dialogParent(),
                                 QStringLiteral("画像を読み込めませんでした。"), ErrorTitle,
                                 MessageButtons::Ok);
            return false;
        }
    }

    LabelDocument& document = window_.document();
    document.BackLeft = file.document.BackLeft;
    document.BackTop = file.document.BackTop;
    document.BackWidth = file.document.BackWidth;
    document.BackHeight = file.document.BackHeight;
    document.TextCount = file.document.TextCount;
    document.SelectedText = file.document.SelectedText;
    for (int i = 0; i < file.document.TextCount; ++i)
        document.item(i) = file.document.item(i);

    window_.documentDialog().fileName = path;
    window_.setBackgroundPicture(picture);
    if (!picture.isEmpty()) {
        window_.setScaleStep(file.scaleStep);
        window_.backgroundDialog().fileName = temporaryPicturePath();
    } else {
        window_.setScaleStep(0);
        window_.backgroundDialog().fileName.clear();
    }
    window_.RedrawLabel();
    document.LabelChanged = false;
    if (fileUsed_)
        fileUsed_(path);
    return true;
}

void DocumentCommands::mnuFileSave_Click(int index) { saveDocument(index == 1); }

bool DocumentCommands::saveDocument(bool alwaysAskForName) {
    FileDialogState& dialog = window_.documentDialog();
    if (alwaysAskForName || dialog.fileName.isEmpty()) {
        if (!window_.platform().showSaveDialog(window_.dialogParent(), dialog))
            return false;
    }
    if (SaveLabelFile(dialog.fileName))
        return true;
    window_.platform().showMessage(window_.dialogParent(),
                                   QStringLiteral("ラベルを保存できませんでした。"), ErrorTitle,
                                   MessageButtons::Ok);
    return false;
}

bool DocumentCommands::SaveLabelFile(const QString& path) {
    LabelDocument& document = window_.document();
    const LabelFileStore::SaveResult result =
        LabelFileStore::save(path, document, std::int16_t(window_.scaleStep()),
                             window_.backgroundDialog().fileName);
    if (!result.ok)
        return false;
    document.LabelChanged = false;
    if (fileUsed_)
        fileUsed_(path);
    return true;
}

QString DocumentCommands::temporaryPicturePath() const {
    const QString folder = window_.platform().temporaryFolder();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(QStringLiteral("temp.tmp"));
}

void DocumentCommands::removeTemporaryPicture() {
    const QString path = temporaryPicturePath();
    if (!path.isEmpty())
        QFile::remove(path);
}
