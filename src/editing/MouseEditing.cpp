#include "editing/MouseEditing.h"

#include "document/LabelWindow.h"
#include "view/widgets/LabelView.h"
#include "view/widgets/SelectionFrame.h"

#include <QMenu>
#include <algorithm>

namespace {
constexpr int LeftButton = 1;
constexpr int RightButton = 2;

int itemCount(const LabelDocument& document) {
    return std::clamp(document.TextCount, 0, MaxTextItems);
}

// Strictly inside the item's box: a point on an edge misses. Each sum is formed in single
// precision before it is compared, as the stored values are.
bool hits(const LabelDocument& document, int index, float x, float y) {
    const TextItem& item = document.item(index);
    const float right = item.Left + item.Width;
    const float bottom = item.Top + item.Height;
    return item.Left < x && x < right && item.Top < y && y < bottom;
}
} // namespace

bool MouseEditing::dragging() const {
    return view_.showsMovePointer();
}

void MouseEditing::frameItem(int index) {
    const TextItem& item = window_.document().item(index);
    SelectionFrame* frame = view_.selectionFrame();
    frame->setRectMm(QRectF(item.Left, item.Top, item.Width, item.Height));
    frame->show();
    frame->raise();
}

void MouseEditing::picDoc_MouseDown(int button, int, float x, float y) {
    if (button == LeftButton)
        leftDown(x, y);
    else if (button == RightButton)
        rightDown(x, y);
}

// The lowest index wins where items overlap. The press neither redraws nor marks a change.
void MouseEditing::leftDown(float x, float y) {
    LabelDocument& document = window_.document();
    for (int index = 0; index < itemCount(document); ++index) {
        if (!hits(document, index, x, y))
            continue;
        frameItem(index);
        view_.showMovePointer();
        document.SelectedText = index;
        document.DragStartX = x;
        document.DragStartY = y;
        return;
    }
    view_.selectionFrame()->hide();
    document.SelectedText = -1;
    if (window_.backgroundPicture().isEmpty())
        return;
    view_.showMovePointer();
    document.DragBackLeft = document.BackLeft;
    document.DragBackTop = document.BackTop;
    document.DragStartX = x;
    document.DragStartY = y;
}

// The highest index hit (the one drawn on top) ends up selected; a miss keeps the selection
// that the menu's commands then act on.
void MouseEditing::rightDown(float x, float y) {
    LabelDocument& document = window_.document();
    for (int index = 0; index < itemCount(document); ++index) {
        if (!hits(document, index, x, y))
            continue;
        frameItem(index);
        document.SelectedText = index;
    }
    // Not exec(): the menu runs its commands on its own and the handler returns at once.
    contextMenu_.popup(view_.mapToGlobal(view_.toPixels(QPointF(x, y)).toPoint()));
}

void MouseEditing::picDoc_MouseMove(int button, int, float x, float y) {
    if (button != LeftButton || !dragging())
        return;
    LabelDocument& document = window_.document();
    if (document.SelectedText != -1) {
        // Only the frame follows the pointer; the item moves at the release.
        if (!document.hasSelection())
            return;
        const TextItem& item = document.selectedItem();
        const float left = x - document.DragStartX + item.Left;
        const float top = y - document.DragStartY + item.Top;
        view_.selectionFrame()->setRectMm(QRectF(left, top, item.Width, item.Height));
        return;
    }
    // The picture follows the pointer: its shown window moves the other way, scaled by the
    // magnification.
    document.BackLeft =
        (document.DragStartX - x) * (document.BackWidth / LabelSideMm) + document.DragBackLeft;
    document.BackTop =
        (document.DragStartY - y) * (document.BackHeight / LabelSideMm) + document.DragBackTop;
    window_.RedrawLabel();
}

void MouseEditing::picDoc_MouseUp(int button, int, float x, float y) {
    if (button != LeftButton || !dragging())
        return;
    LabelDocument& document = window_.document();
    if (document.hasSelection()) {
        TextItem& item = document.selectedItem();
        item.Left = x - document.DragStartX + item.Left;
        item.Top = y - document.DragStartY + item.Top;
        window_.RedrawLabel();
    }
    if (dragging())
        view_.showDefaultPointer();
    document.LabelChanged = true;
}
