#include "document/LabelSurface.h"

#include "document/OpenLabel.h"

void LabelSurface::labelChanged(const OpenLabel& label, const LabelChange& change) {
    if (change.has(LabelChange::PictureReplaced))
        backgroundReplaced();
    if (change.has(LabelChange::Background))
        showScaleStep(label.scaleStep);
    if (change.isOnly(LabelChange::ItemInserted) && change.item >= 0)
        drawNewTextItem(change.item);
    else
        RedrawLabel();
}
