#pragma once

#include "document/LabelDocument.h"
#include "platform/Platform.h"
#include "platform/pictures/Picture.h"

class QWidget;

// What the commands need of the window that owns the document: the document itself, the state
// its controls hold (background picture, scale step, the two dialogs' file names), the view and
// the desktop. The main window implements it; commands never reach into widgets directly.
class LabelWindow {
public:
    virtual ~LabelWindow() = default;

    virtual LabelDocument& document() = 0;
    virtual Platform& platform() = 0;
    virtual QWidget* dialogParent() = 0;

    // The background picture (empty = no background).
    virtual const Picture& backgroundPicture() const = 0;
    virtual void setBackgroundPicture(Picture picture) = 0;

    // The document dialog's file name is DocumentPath; the picture dialog's is BackPath.
    virtual FileDialogState& documentDialog() = 0;
    virtual FileDialogState& backgroundDialog() = 0;

    // The background scale step (fsbZoom). Setting a different value runs the change handler.
    virtual int scaleStep() const = 0;
    virtual void setScaleStep(int value) = 0;

    // Rebuilds the whole view from the document.
    virtual void RedrawLabel() = 0;

    // Draws one newly inserted item on top of what the view shows, without a whole redraw.
    // Windows that keep no image of their own simply redraw.
    virtual void drawNewTextItem(int index) {
        (void)index;
        RedrawLabel();
    }

    // The view's side in logical pixels (the view factor is derived from it).
    virtual double viewSidePx() const = 0;
};
