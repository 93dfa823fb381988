#include "editing/MouseEditing.h"

#include "commands/LabelHistory.h"
#include "commands/MoveBackgroundStep.h"
#include "commands/MoveTextStep.h"
#include "document/BackgroundLimit.h"

namespace {
constexpr int LeftButton = 1;
constexpr int RightButton = 2;
} // namespace

void MouseEditing::frameItem(int index) {
    context_.surface.showFrame(context_.document().item(index).boxMm());
}

void MouseEditing::picDoc_MouseDown(int button, int, float x, float y) {
    if (button == LeftButton)
        leftDown(x, y);
    else if (button == RightButton)
        rightDown(x, y);
}

// The lowest index wins where items overlap. The press neither redraws nor marks a change.
void MouseEditing::leftDown(float x, float y) {
    cancelDrag();
    LabelDocument& document = context_.document();
    anchor_ = BackgroundDragAnchor{x, y, document.BackLeft, document.BackTop};
    const int index = document.lowestItemAt(x, y);
    document.SelectedText = index;
    if (index >= 0) {
        frameItem(index);
        context_.surface.showMovePointer();
        drag_ = Drag::Text;
        draggedItem_ = index;
        return;
    }
    context_.surface.hideFrame();
    if (context_.label.picture.isEmpty())
        return;
    context_.surface.showMovePointer();
    drag_ = Drag::Background;
}

// The highest index hit (the one drawn on top) ends up selected; a miss keeps the selection
// that the menu's commands then act on.
void MouseEditing::rightDown(float x, float y) {
    // The menu takes the mouse, so a left drag under way would never see its release.
    cancelDrag();
    LabelDocument& document = context_.document();
    const int index = document.highestItemAt(x, y);
    if (index >= 0) {
        frameItem(index);
        document.SelectedText = index;
    }
    context_.surface.popUpEditMenu(x, y);
}

void MouseEditing::picDoc_MouseMove(int button, int, float x, float y) {
    if (button != LeftButton || !dragging())
        return;
    if (drag_ == Drag::Background) {
        moveBackground(x, y);
        return;
    }
    // Only the frame follows the pointer; the item moves at the release.
    const TextItem& item = context_.document().item(draggedItem_);
    context_.surface.showFrame(QRectF(x - anchor_.startX + item.Left, y - anchor_.startY + item.Top,
                                      item.Width, item.Height));
}

void MouseEditing::moveBackground(float x, float y) {
    LabelDocument& document = context_.document();
    const float lastLeft = document.BackLeft, lastTop = document.BackTop;
    document.dragBackground(anchor_, x, y);
    if (document.backgroundOnPicture(context_.label.picture.naturalSizeMm())) {
        context_.surface.RedrawLabel();
        return;
    }
    // Past the picture's edge: the view keeps the last good placement while the message says so
    // (a redraw meanwhile, for sharper pixels, shows that one), then the placement goes to the
    // picture's corner, which ends the drag there.
    document.BackLeft = lastLeft;
    document.BackTop = lastTop;
    endDrag();
    BackgroundLimit::reportAndReset(context_);
    context_.surface.RedrawLabel();
    if (document.BackLeft != anchor_.backLeft || document.BackTop != anchor_.backTop)
        history_.push(
            std::make_unique<MoveBackgroundStep>(context_.label, context_.surface, anchor_));
}

void MouseEditing::picDoc_MouseUp(int button, int, float x, float y) {
    if (button != LeftButton || !dragging())
        return;
    LabelDocument& document = context_.document();
    const Drag drag = drag_;
    endDrag();
    if (drag == Drag::Text) {
        const TextItem& item = document.item(draggedItem_);
        const float left = x - anchor_.startX + item.Left;
        const float top = y - anchor_.startY + item.Top;
        if (left != item.Left || top != item.Top) {
            history_.push(std::make_unique<MoveTextStep>(
                context_.label, context_.surface, draggedItem_, QPointF(item.Left, item.Top),
                QPointF(left, top), MoveTextStep::Gesture::Drag));
            return;
        }
        context_.surface.RedrawLabel();
    } else if (document.BackLeft != anchor_.backLeft || document.BackTop != anchor_.backTop) {
        history_.push(
            std::make_unique<MoveBackgroundStep>(context_.label, context_.surface, anchor_));
        return;
    }
    // A click that moved nothing is no step, but the label counts as changed, as it always has.
    document.LabelChanged = true;
}

void MouseEditing::endDrag() {
    drag_ = Drag::None;
    context_.surface.showDefaultPointer();
}

void MouseEditing::cancelDrag() {
    if (!dragging())
        return;
    const Drag drag = drag_;
    endDrag();
    LabelDocument& document = context_.document();
    if (drag == Drag::Background) {
        document.BackLeft = anchor_.backLeft;
        document.BackTop = anchor_.backTop;
    }
    // The redraw puts the frame back on whatever is selected now.
    context_.surface.RedrawLabel();
}
