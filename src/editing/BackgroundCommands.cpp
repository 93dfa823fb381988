#include "editing/BackgroundCommands.h"

#include "commands/FitBackgroundStep.h"
#include "commands/LabelHistory.h"
#include "commands/OpenBackgroundStep.h"
#include "commands/ZoomStep.h"
#include "document/UprightPicture.h"

void BackgroundCommands::mnuEditBack_Click() {
    Platform& platform = context_.platform;
    FileDialogState dialog = context_.label.backgroundDialog;
    if (!platform.showOpenDialog(context_.dialogParent, dialog))
        return;
    openBackgroundFile(dialog.fileName);
}

bool BackgroundCommands::openBackgroundFile(const QString& chosen) {
    Platform& platform = context_.platform;
    // Loaded before anything changes, so that a file the loader refuses leaves the placement,
    // the scale step, the picture and BackPath as they were. A photo stored sideways is loaded
    // from its upright copy, which becomes BackPath. Earlier copies stay for the run: undo may
    // bring their pictures back, and a save reads BackPath.
    const QString folder = platform.temporaryFolder();
    const QString path = UprightPicture::fileToLoad(chosen, folder);
    Picture picture = platform.loadPicture(path);
    if (picture.isEmpty()) {
        UprightPicture::discard(path, folder);
        platform.showMessage(context_.dialogParent, QStringLiteral("画像を読み込めませんでした。"),
                             QStringLiteral("エラー"), MessageButtons::Ok);
        return false;
    }
    history_.push(std::make_unique<OpenBackgroundStep>(context_.label, picture, path));
    return true;
}

void BackgroundCommands::mnuEditBackFit_Click() {
    if (context_.label.picture.isEmpty())
        return;
    history_.push(std::make_unique<FitBackgroundStep>(context_.label));
}

void BackgroundCommands::fsbZoom_Change(int value, qint64 atMs, int gesture) {
    OpenLabel& label = context_.label;
    if (label.picture.isEmpty()) {
        // Without a picture the scroll bar only snaps back; the document is not touched.
        label.scaleStep = 0;
        context_.surface.showScaleStep(0);
        return;
    }
    if (value == label.scaleStep)
        return;
    history_.push(std::make_unique<ZoomStep>(label, value, atMs, gesture));
}
