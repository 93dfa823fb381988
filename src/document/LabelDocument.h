#pragma once

#include "document/DiscFrame.h"
#include "document/TextItem.h"

#include <QSizeF>
#include <cstdint>
#include <vector>

// A label holds at most this many text items.
inline constexpr int MaxTextItems = 100;

// Where a background drag began: the pointer and the placement's corner at the press.
struct BackgroundDragAnchor {
    float startX = 0;
    float startY = 0;
    float backLeft = 0;
    float backTop = 0;
};

// The plain data of one label design. The open label (OpenLabel) makes its edits through the
// operations here and tells whatever shows it what changed.
struct LabelDocument {
    std::vector<TextItem> TextItems; // at most MaxTextItems, in drawing order
    std::int32_t SelectedText = -1;
    bool LabelChanged = false;

    // The rectangle of the background picture (millimetres of the picture at its natural size)
    // that is stretched over the whole label square.
    float BackLeft = 0;
    float BackTop = 0;
    float BackWidth = 0;
    float BackHeight = 0;

    int itemCount() const { return int(TextItems.size()); }
    bool isFull() const { return itemCount() >= MaxTextItems; }
    bool hasSelection() const { return SelectedText >= 0 && SelectedText < itemCount(); }
    TextItem& selectedItem() { return TextItems[std::size_t(SelectedText)]; }
    const TextItem& item(int index) const { return TextItems[std::size_t(index)]; }
    TextItem& item(int index) { return TextItems[std::size_t(index)]; }

    // Puts the item at `index` (0..itemCount()), moving the later ones up; false when full.
    bool insertItem(int index, const TextItem& item);
    // Takes the item out and closes the gap.
    TextItem removeItem(int index);
    // Adds an item at the end; false when full.
    bool appendItem(const TextItem& item) { return insertItem(itemCount(), item); }

    // The picture follows the pointer: the shown window moves the other way, scaled by the
    // magnification.
    void dragBackground(const BackgroundDragAnchor& anchor, float x, float y);

    // The shown rectangle's corner must lie on the picture. When it does not, it goes back to the
    // picture's top-left corner, which always does; true when it had to.
    bool backgroundOnPicture(QSizeF pictureMm) const;
    bool putBackgroundOnPicture(QSizeF pictureMm);

    bool operator==(const LabelDocument&) const = default;
};
