#pragma once

#include "document/DiscFrame.h"
#include "document/TextItem.h"

#include <QSizeF>
#include <array>
#include <cstdint>

inline constexpr int MaxTextItems = 100;

// Where a background drag began: the pointer and the placement's corner at the press.
struct BackgroundDragAnchor {
    float startX = 0;
    float startY = 0;
    float backLeft = 0;
    float backTop = 0;
};

// Which way an item is centred on the disc.
enum class CentreAxis { Across, Down };

// The plain data of one label design and the edits made to it. Every change the editor makes to
// a label goes through these operations, so that undo can replay them.
struct LabelDocument {
    std::array<TextItem, MaxTextItems> TextItems{};
    std::int32_t TextCount = 0;
    std::int32_t SelectedText = -1;
    bool LabelChanged = false;

    // The rectangle of the background picture (millimetres of the picture at its natural size)
    // that is stretched over the whole label square.
    float BackLeft = 0;
    float BackTop = 0;
    float BackWidth = 0;
    float BackHeight = 0;

    bool hasSelection() const { return SelectedText >= 0 && SelectedText < TextCount; }
    TextItem& selectedItem() { return TextItems[static_cast<std::size_t>(SelectedText)]; }
    const TextItem& item(int index) const { return TextItems[static_cast<std::size_t>(index)]; }
    TextItem& item(int index) { return TextItems[static_cast<std::size_t>(index)]; }
    // TextCount within the table's bounds, for loops over a document read from outside.
    int itemCount() const;

    // Puts the item at `index` (0..itemCount()), moving the later ones up; false when full.
    bool insertItem(int index, const TextItem& item);
    // Takes the item out and closes the gap; the freed last slot is blanked.
    TextItem removeItem(int index);
    void centreItem(int index, CentreAxis axis);
    void moveItem(int index, float left, float top);

    // The item whose box holds the point strictly inside: the lowest index (a left press picks
    // it) or the highest (the one drawn on top, which a right press picks). -1 when none.
    int lowestItemAt(float x, float y) const;
    int highestItemAt(float x, float y) const;

    // The picture follows the pointer: the shown window moves the other way, scaled by the
    // magnification.
    void dragBackground(const BackgroundDragAnchor& anchor, float x, float y);
    // The shown side for a scale step about a base side (see BackgroundScale).
    void applyScaleStep(int step, double baseMm);

    // The shown rectangle's corner must lie on the picture. When it does not, it goes back to the
    // picture's top-left corner, which always does; true when it had to.
    bool backgroundOnPicture(QSizeF pictureMm) const;
    bool putBackgroundOnPicture(QSizeF pictureMm);

    bool operator==(const LabelDocument&) const = default;
};
