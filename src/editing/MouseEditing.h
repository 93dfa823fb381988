#pragma once

class LabelWindow;
class LabelView;
class QMenu;

// Selecting and dragging text items and the background with the mouse on picDoc. A drag is in
// progress exactly while the view shows the move pointer; the selection tells which drag it is
// (an item when one is selected, otherwise the background).
class MouseEditing {
public:
    MouseEditing(LabelWindow& window, LabelView& view, QMenu& contextMenu)
        : window_(window), view_(view), contextMenu_(contextMenu) {}

    // Button: 1 left, 2 right (for moves the sum of the buttons held); x, y in label mm.
    void picDoc_MouseDown(int button, int shift, float x, float y);
    void picDoc_MouseMove(int button, int shift, float x, float y);
    void picDoc_MouseUp(int button, int shift, float x, float y);

private:
    void leftDown(float x, float y);
    void rightDown(float x, float y);
    void frameItem(int index);
    bool dragging() const;

    LabelWindow& window_;
    LabelView& view_;
    QMenu& contextMenu_;
};
