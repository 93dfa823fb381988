#include "document/DocumentCommands.h"

#include "document/AtomicReplace.h"
#include "document/BackgroundLimit.h"
#include "document/FileMessages.h"
#include "document/FontNotice.h"
#include "document/LabelFileStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {
const QString ErrorTitle = QStringLiteral("エラー");
} // namespace

bool DocumentCommands::saveFirst() {
    return saveFirst(QStringLiteral("ラベルは変更されています。保存しますか？"),
                     QStringLiteral("確認"));
}

bool DocumentCommands::saveFirst(const QString& question, const QString& title) {
    if (!context_.document().LabelChanged)
        return true;
    const MessageAnswer answer = context_.platform.showMessage(
        context_.dialogParent, question, title, MessageButtons::YesNoCancel);
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
    label.document.TextItems.clear();
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
        const bool gone =
            result.refusal == LabelFileCodec::Refusal::Unreadable && !QFileInfo::exists(path);
        platform.showMessage(context_.dialogParent,
                             gone ? FileMessages::openedFileGone(path)
                                  : FileMessages::openFailure(result.refusal),
                             ErrorTitle, MessageButtons::Ok);
        return false;
    }
    LabelFileCodec::DecodedFile& file = *result.file;

    // The picture goes to a staging file first; it replaces the temporary picture (which the
    // current document may still be using) only once it has loaded.
    Picture picture;
    if (!file.picture.isEmpty()) {
        const QString staging = temporaryPicturePath() + QStringLiteral(".new");
        if (temporaryPicturePath().isEmpty() || !AtomicReplace::replace(staging, file.picture).ok) {
            picture = Picture();
        } else {
            file.picture.clear(); // written out: a large photo is not held twice
            picture = platform.loadPicture(staging);
        }
        if (picture.isEmpty() ||
            std::rename(QFile::encodeName(staging).constData(),
                        QFile::encodeName(temporaryPicturePath()).constData()) != 0) {
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
    document.TextItems = std::move(file.document.TextItems);
    document.SelectedText = file.document.SelectedText;

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
    if (file.layoutsDropped)
        platform.showMessage(context_.dialogParent,
                             QStringLiteral("この文書は別のプログラムで保存されたため、"
                                            "文字の配置を直線に戻しました。"),
                             QStringLiteral("ファイルを開く"), MessageButtons::Ok);
    if (!picture.isEmpty() && !document.backgroundOnPicture(picture.naturalSizeMm()))
        BackgroundLimit::reportAndReset(context_);
    context_.surface.RedrawLabel();
    document.LabelChanged = false;
    context_.surface.documentReplaced(path);
    tellSubstitutedFonts();
    return true;
}

// Fonts made on another desktop are drawn in installed ones; the document keeps their names.
void DocumentCommands::tellSubstitutedFonts() {
    const QString text = FontNotice::message(FontNotice::substitutions(context_.document()));
    if (!text.isEmpty())
        context_.platform.showMessage(context_.dialogParent, text, FontNotice::title(),
                                      MessageButtons::Ok);
}

void DocumentCommands::mnuFileSave_Click(int index) { saveDocument(index == 1); }

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
