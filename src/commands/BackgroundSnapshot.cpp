#include "commands/BackgroundSnapshot.h"

BackgroundSnapshot BackgroundSnapshot::of(const OpenLabel& label) {
    const LabelDocument& document = label.document;
    return BackgroundSnapshot{
        label.picture,       document.BackLeft, document.BackTop, document.BackWidth,
        document.BackHeight, label.scaleStep,   label.zoomBaseMm, label.backgroundDialog.fileName};
}

void BackgroundSnapshot::restore(OpenLabel& label, LabelSurface& surface) const {
    LabelDocument& document = label.document;
    const bool newPicture = label.picture.key() != picture.key();
    label.picture = picture;
    document.BackLeft = left;
    document.BackTop = top;
    document.BackWidth = width;
    document.BackHeight = height;
    label.scaleStep = scaleStep;
    label.zoomBaseMm = zoomBaseMm;
    label.backgroundDialog.fileName = path;
    if (newPicture)
        surface.backgroundReplaced();
    surface.showScaleStep(scaleStep);
    surface.RedrawLabel();
}
