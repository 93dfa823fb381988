#pragma once

#include "document/LabelSurface.h"
#include "document/OpenLabel.h"

// Everything that says which picture the label shows and how: the picture (shared, never
// copied), its placement, the scale step with its base, and the picture's file (BackPath), which a
// save reads.
struct BackgroundSnapshot {
    Picture picture;
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    int scaleStep = 0;
    double zoomBaseMm = BackgroundScale::DefaultBaseMm;
    QString path;

    static BackgroundSnapshot of(const OpenLabel& label);
    // Puts the snapshot back into the label, shows its step and redraws once.
    void restore(OpenLabel& label, LabelSurface& surface) const;
};
