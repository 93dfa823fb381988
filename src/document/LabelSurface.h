#pragma once

#include "document/DiscFrame.h"
#include "document/LabelChange.h"
#include "document/TextItem.h"

#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <vector>

class QWidget;

// What the commands need of whatever shows the open label: a narrow surface, so that commands and
// their tests never need the window. Coordinates are label millimetres. It listens to the open
// label and shows what each edit changed.
class LabelSurface : public LabelListener {
public:
    // Rebuilds the whole view from the label, with the selection frame on the selected item.
    virtual void RedrawLabel() = 0;
    // Draws one newly inserted item on top of what the view shows, without a whole redraw.
    virtual void drawNewTextItem(int index) {
        (void)index;
        RedrawLabel();
    }
    // Items a dialog proposes, drawn over the label until it confirms or leaves, in place of the
    // item `replacing` when it changes one; the document is not touched, so the undo history sees
    // only the confirmed change. Empty: none.
    virtual void showPreviewItems(const std::vector<TextItem>& items, int replacing = -1) {
        (void)items;
        (void)replacing;
    }
    // The medium printed on is known or changed: the guide circles and the check of the text
    // follow its frame.
    virtual void showMedium(const DiscFrame& frame) { (void)frame; }
    // The view's side in logical pixels (text is measured for it).
    virtual double viewSidePx() const = 0;

    // Shows the scale step on its control without running the zoom again.
    virtual void showScaleStep(int step) = 0;
    // The background picture was replaced: whatever the view keeps of the old one can go.
    virtual void backgroundReplaced() {}
    // A document replaced the open one (the file it came from, empty for a new one), or the open
    // one was saved to a file: the undo history, the title and the recent documents follow.
    virtual void documentReplaced(const QString& path) { (void)path; }
    virtual void documentSaved(const QString& path) { (void)path; }

    // The selection frame: around an item's outline (a box, turned or not, or the band of text
    // along the disc), in label millimetres.
    virtual void showFrame(const QPainterPath& outlineMm) = 0;
    void showFrame(const QRectF& rectMm) {
        QPainterPath outline;
        outline.addRect(rectMm);
        showFrame(outline);
    }
    virtual void hideFrame() = 0;
    virtual void showMovePointer() = 0;
    virtual void showDefaultPointer() = 0;
    // The Edit menu at a point of the label, returning at once (its commands run on their own).
    virtual void popUpEditMenu(float x, float y) = 0;

    // Items a dialog would make, shown over the label while it is open (none: nothing shown).
    // Moves a dialog about to open so that it leaves the part of the label it changes in view.
    virtual void placeDialogClearOf(QWidget* dialog, const QRectF& areaMm) {
        (void)dialog;
        (void)areaMm;
    }

    // What an edit changed: a new item alone is drawn on top of what is shown; anything else
    // redraws the label.
    void labelChanged(const OpenLabel& label, const LabelChange& change) override;
};
