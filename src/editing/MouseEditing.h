#pragma once

#include "document/LabelContext.h"

#include <QPointF>

class LabelHistory;

// Selecting and dragging text items and the background with the mouse on the label. A drag runs
// from a left press to its release: an item's drag when the press selected one, otherwise the
// background's. Each finished drag that moved something is one undo step.
class MouseEditing {
public:
    MouseEditing(const LabelContext& context, LabelHistory& history)
        : context_(context), history_(history) {}

    // Button: 1 left, 2 right (for moves the sum of the buttons held); x, y in label mm.
    void picDoc_MouseDown(int button, int shift, float x, float y);
    void picDoc_MouseMove(int button, int shift, float x, float y);
    void picDoc_MouseUp(int button, int shift, float x, float y);

    bool dragging() const { return drag_ != Drag::None; }
    // Ends a drag whose release will not come (a menu or dialog took the mouse, or the selection
    // changed under it): the pointer goes back, the frame goes back on its item, nothing moves.
    void cancelDrag();

private:
    enum class Drag { None, Text, Background };

    void leftDown(float x, float y);
    void rightDown(float x, float y);
    void moveBackground(float x, float y);
    void endDrag();
    void frameItem(const TextItem& item);
    // The dragged item where the pointer at (x, y) puts it.
    TextItem draggedTo(float x, float y) const;

    LabelContext context_;
    LabelHistory& history_;
    Drag drag_ = Drag::None;
    int draggedItem_ = -1;
    BackgroundDragAnchor anchor_;
};
