#pragma once

#include "document/TextLayout.h"

#include <QRectF>
#include <QString>
#include <cstdint>

// One text item of a label. Positions and sizes are label millimetres; Size is points at the
// label's true size; Color indexes the sixteen-colour table. Left..Height are the item's straight
// placement: for straight and vertical text the box it is set in; for text along the disc the
// file's fallback, which puts the text, straight, about where the arc shows it.
struct TextItem {
    QString Text;
    float Left = 0;
    float Top = 0;
    float Width = 0;
    float Height = 0;
    std::int32_t Size = 0;
    std::int32_t Color = 0;
    QString FontName;
    TextLayout layout;

    // The item's straight box on the label.
    QRectF boxMm() const { return QRectF(Left, Top, Width, Height); }

    bool operator==(const TextItem&) const = default;
};
