#pragma once

#include "document/LabelSurface.h"

#include <QRectF>
#include <vector>

// A label surface with no window: it counts what the commands ask of it, so command and undo
// tests run without the main window.
class FakeSurface : public LabelSurface {
public:
    int redraws = 0;
    int newItemsDrawn = 0;
    int shownStep = 0;
    bool frameShown = false;
    QRectF frameMm; // the frame's bounds
    bool movePointer = false;
    int menusPoppedUp = 0;
    std::vector<TextItem> previewItems;
    int previewReplacing = -1;
    int previewsShown = 0;
    DiscFrame medium;

    void RedrawLabel() override { ++redraws; }
    void drawNewTextItem(int) override { ++newItemsDrawn; }
    void showPreviewItems(const std::vector<TextItem>& items, int replacing = -1) override {
        previewItems = items;
        previewReplacing = replacing;
        ++previewsShown;
    }
    void showMedium(const DiscFrame& frame) override { medium = frame; }
    double viewSidePx() const override { return 500; }
    void showScaleStep(int step) override { shownStep = step; }
    using LabelSurface::showFrame;
    void showFrame(const QPainterPath& outlineMm) override {
        frameShown = true;
        frameMm = outlineMm.boundingRect();
    }
    void hideFrame() override { frameShown = false; }
    void showMovePointer() override { movePointer = true; }
    void showDefaultPointer() override { movePointer = false; }
    void popUpEditMenu(float, float) override { ++menusPoppedUp; }
};
