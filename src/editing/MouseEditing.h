#pragma once

class LabelWindow;
class LabelView;
class QMenu;

// Selecting and dragging text items and the background with the mouse on picDoc.
class MouseEditing {
public:
    MouseEditing(LabelWindow& window, LabelView& view, QMenu& contextMenu)
        : window_(window), view_(view), contextMenu_(contextMenu) {}

    void picDoc_MouseDown(int button, int shift, float x, float y);
    void picDoc_MouseMove(int button, int shift, float x, float y);
    void picDoc_MouseUp(int button, int shift, float x, float y);

private:
    LabelWindow& window_;
    LabelView& view_;
    QMenu& contextMenu_;
};
