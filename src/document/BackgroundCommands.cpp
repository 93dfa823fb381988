#include "document/BackgroundCommands.h"

#include "document/LabelWindow.h"
#include "view/BackgroundZoom.h"

void BackgroundCommands::mnuEditBack_Click() {
    // Filled in with the picture dialog and the loader.
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
