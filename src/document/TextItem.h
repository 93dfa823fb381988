#pragma once

#include <QRectF>
#include <QString>
#include <cstdint>

// One text item of a label. Positions and sizes are label millimetres; Size is points at the
// label's true size; Color indexes the sixteen-colour table.
struct TextItem {
    QString Text;
    float Left = 0;
    float Top = 0;
    float Width = 0;
    float Height = 0;
    std::int32_t Size = 0;
    std::int32_t Color = 0;
    QString FontName;

    // The item's box on the label, which the selection frame outlines.
    QRectF boxMm() const { return QRectF(Left, Top, Width, Height); }

    bool operator==(const TextItem&) const = default;
};
