#pragma once

#include "document/BackgroundScale.h"
#include "document/LabelDocument.h"
#include "platform/Platform.h"
#include "platform/pictures/Picture.h"

// The label that is open: the document and what lives beside it for the run. The window owns
// exactly one; the commands and the undo steps edit it, the view only reads it.
struct OpenLabel {
    LabelDocument document;
    Picture picture; // empty = no background
    int scaleStep = 0;
    // The side the picture shows at step 0 (see BackgroundScale).
    double zoomBaseMm = BackgroundScale::DefaultBaseMm;
    // The document dialog's file name is DocumentPath; the picture dialog's is BackPath.
    FileDialogState documentDialog;
    FileDialogState backgroundDialog;
};
