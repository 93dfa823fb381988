#include "editing/MouseEditing.h"

#include "commands/LabelHistory.h"
#include "commands/MoveBackgroundStep.h"
#include "commands/MoveTextStep.h"
#include "document/BackgroundLimit.h"
#include "shapes/ItemHits.h"
#include "shapes/ItemMoves.h"
#include "shapes/ItemShape.h"

namespace {
constexpr int LeftButton = 1;
constexpr int RightButton = 2;
} // namespace

void MouseEditing::frameItem(const TextItem& item) {
    context_.surface.showFrame(ItemShape::of(item)->outlineMm());
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
    const int index = ItemHits::lowestItemAt(document, x, y);
    document.SelectedText = index;
    if (index >= 0) {
        frameItem(document.item(index));
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
    const int index = ItemHits::highestItemAt(document, x, y);
    if (index >= 0) {
        frameItem(document.item(index));
        document.SelectedText = index;
    }
    context_.surface.popUpEditMenu(x, y);
}

TextItem MouseEditing::draggedTo(float x, float y) const {
    return ItemMoves::dragged(context_.document().item(draggedItem_),
                              QPointF(anchor_.startX, anchor_.startY), QPointF(x, y));
}

void MouseEditing::picDoc_MouseMove(int button, int, float x, float y) {
    if (button != LeftButton || !dragging())
        return;
    if (drag_ == Drag::Background) {
        moveBackground(x, y);
        return;
    }
    // Only the frame follows the pointer; the item moves at the release.
    frameItem(draggedTo(x, y));
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
        history_.push(std::make_unique<MoveBackgroundStep>(context_.label, anchor_));
}

void MouseEditing::picDoc_MouseUp(int button, int, float x, float y) {
    if (button != LeftButton || !dragging())
        return;
    LabelDocument& document = context_.document();
    const Drag drag = drag_;
    endDrag();
    if (drag == Drag::Text) {
        const TextItem moved = draggedTo(x, y);
        if (!(moved == document.item(draggedItem_))) {
            history_.push(std::make_unique<MoveTextStep>(context_.label, draggedItem_, moved,
                                                         MoveTextStep::Gesture::Drag));
            return;
        }
        context_.surface.RedrawLabel();
    } else if (document.BackLeft != anchor_.backLeft || document.BackTop != anchor_.backTop) {
        history_.push(std::make_unique<MoveBackgroundStep>(context_.label, anchor_));
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
