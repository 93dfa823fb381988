#include "printing/LabelExportCommand.h"

#include "document/LabelWindow.h"
#include "printing/render/PageExport.h"

#include <QDir>
#include <QFileInfo>

LabelExportCommand::LabelExportCommand(LabelWindow& window) : window_(window) {
    cdlImage_.filter = QStringLiteral("PNG 画像 300 dpi|*.png|PNG 画像 600 dpi|*.png|"
                                      "PDF 122 × 122 mm|*.pdf");
}

// The file name's own suffix decides between PNG and PDF; a name without either gets the one of
// the chosen filter.
void LabelExportCommand::mnuFileSaveImage_Click() {
    const QString documentPath = window_.documentDialog().fileName;
    if (cdlImage_.fileName.isEmpty() && !documentPath.isEmpty()) {
        const QFileInfo document(documentPath);
        cdlImage_.fileName = document.dir().filePath(document.completeBaseName() +
                                                     QStringLiteral(".png"));
    }
    Platform& platform = window_.platform();
    if (!platform.showSaveDialog(window_.dialogParent(), cdlImage_))
        return;
    QString path = cdlImage_.fileName;
    const QString suffix = QFileInfo(path).suffix().toLower();
    bool pdf = suffix == QLatin1String("pdf");
    if (!pdf && suffix != QLatin1String("png")) {
        pdf = cdlImage_.filterIndex == Pdf;
        path += pdf ? QStringLiteral(".pdf") : QStringLiteral(".png");
    }
    const int dpi = cdlImage_.filterIndex == Png600 ? 600 : 300;
    QString reason;
    const bool written =
        pdf ? PageExport::writeLabelPdf(path, window_.document(), window_.backgroundPicture(),
                                        &reason)
            : PageExport::writeLabelPng(path, window_.document(), window_.backgroundPicture(), dpi,
                                        &reason);
    if (!written)
        platform.showMessage(window_.dialogParent(),
                             QStringLiteral("画像を保存できませんでした。"),
                             QStringLiteral("エラー"), MessageButtons::Ok);
}
