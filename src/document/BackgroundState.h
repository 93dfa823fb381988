#pragma once

#include "document/BackgroundScale.h"
#include "platform/pictures/Picture.h"

#include <QString>

// Everything that says which picture the label shows and how: the picture (shared, never
// copied), its placement, the scale step with its base, and the picture's file (BackPath), which a
// save reads.
struct BackgroundState {
    Picture picture;
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    int scaleStep = 0;
    double zoomBaseMm = BackgroundScale::DefaultBaseMm;
    QString path;
};
