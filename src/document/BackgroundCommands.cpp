#include "document/BackgroundCommands.h"

#include "document/LabelWindow.h"
#include "view/BackgroundZoom.h"

void BackgroundCommands::mnuEditBack_Click() {
    Platform& platform = window_.platform();
    FileDialogState& dialog = window_.backgroundDialog();
    const QString previousPath = dialog.fileName;
    if (!platform.showOpenDialog(window_.dialogParent(), dialog))
        return;
    const QString chosen = dialog.fileName;
    dialog.fileName = previousPath;
    openBackgroundFile(chosen);
}

bool BackgroundCommands::openBackgroundFile(const QString& path) {
    Platform& platform = window_.platform();
    // Loaded before anything changes, so that a file the loader refuses leaves the placement,
    // the scale step, the picture and BackPath as they were.
    Picture picture = platform.loadPicture(path);
    if (picture.isEmpty()) {
        platform.showMessage(window_.dialogParent(), QStringLiteral("画像を読み込めませんでした。"),
                             QStringLiteral("エラー"), MessageButtons::Ok);
        return false;
    }
    window_.backgroundDialog().fileName = path;

    LabelDocument& document = window_.document();
    document.BackLeft = 0;
    document.BackTop = 0;
    document.BackWidth = LabelSideMm;
    document.BackHeight = LabelSideMm;
    window_.setBackgroundPicture(std::move(picture));
    // A step other than 0 is reset through the scroll bar, whose change handler redraws; else
    // the label is redrawn here. Either way it is drawn once, with the new picture.
    if (window_.scaleStep() != 0)
        window_.setScaleStep(0);
    else
        window_.RedrawLabel();
    document.LabelChanged = true;
    return true;
}

void BackgroundCommands::fsbZoom_Change() {
    if (window_.backgroundPicture().isEmpty()) {
        // Without a picture the scroll bar only snaps back; the document is not touched.
        window_.setScaleStep(0);
        return;
    }
    LabelDocument& document = window_.document();
    document.BackWidth = BackgroundZoom::shownSideMm(window_.scaleStep());
    document.BackHeight = BackgroundZoom::shownSideMm(window_.scaleStep());
    window_.RedrawLabel();
    document.LabelChanged = true;
}
