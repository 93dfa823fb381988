#pragma once

// How an item's text is set: a straight line (turned about the centre of its box), along a circle
// about the disc's centre, or in a vertical column. Angles are degrees, clockwise as the label is
// seen; lengths are label millimetres.
enum class TextLayoutKind { Straight, Arc, Vertical };

// Which way text along a circle faces: glyph tops away from the centre (reading clockwise, for
// the top of the disc), toward it (reading counter-clockwise, upright at the bottom), or whichever
// suits the anchor's half of the disc.
enum class ArcSide { Outside, Inside, Auto };
// Which point of the text sits at the anchor.
enum class ArcAlign { Start, Centre, End };

struct TextLayout {
    TextLayoutKind kind = TextLayoutKind::Straight;
    float rotationDeg = 0; // straight: about the centre of the item's box
    float radiusMm = 50;   // arc: the baseline's radius
    float angleDeg = 0;    // arc: the anchor, from 12 o'clock
    ArcSide side = ArcSide::Auto;
    ArcAlign align = ArcAlign::Centre;
    float spacingMm = 0;        // arc and vertical: extra space between characters
    bool uprightDigits = false; // vertical: one or two digits set upright side by side

    static constexpr float MinRotationDeg = -180, MaxRotationDeg = 180;
    static constexpr float MinRadiusMm = 10, MaxRadiusMm = 61;
    static constexpr float MinAngleDeg = -180, MaxAngleDeg = 180;
    static constexpr float MinSpacingMm = -5, MaxSpacingMm = 20;

    // Today's text: straight and unturned. Such an item needs nothing beyond its record.
    bool isPlain() const { return kind == TextLayoutKind::Straight && rotationDeg == 0; }
    // Every value finite and within its range (NaN is refused too).
    bool isValid() const;
    // The side an arc faces once Auto is decided: outside in the upper half of the disc.
    ArcSide resolvedSide() const;

    // The same layout with the values its kind does not use at their defaults, so that two
    // layouts that set text alike compare equal.
    TextLayout normalized() const;

    bool operator==(const TextLayout&) const = default;
};
