#pragma once

#include "document/TextItem.h"

#include <array>
#include <cstdint>

// The label square's side in millimetres; (61, 61) is the disc's centre.
inline constexpr float LabelSideMm = 122.0f;
inline constexpr int MaxTextItems = 100;

// The plain data of one label design. The window owns exactly one of these for the whole run;
// the background picture, the scale step and the two paths live beside it in the window.
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

    // Drag anchors, set when a mouse drag begins.
    float DragStartX = 0;
    float DragStartY = 0;
    float DragBackLeft = 0;
    float DragBackTop = 0;

    bool hasSelection() const { return SelectedText >= 0 && SelectedText < TextCount; }
    TextItem& selectedItem() { return TextItems[static_cast<std::size_t>(SelectedText)]; }
    const TextItem& item(int index) const { return TextItems[static_cast<std::size_t>(index)]; }
    TextItem& item(int index) { return TextItems[static_cast<std::size_t>(index)]; }
};
