#pragma once

#include <QRect>
#include <QRectF>

class Platform;

// The main window's placement in the settings store ("MainLeft".."MainHeight", twips).
namespace WindowPlacement {

struct Twips {
    QRectF rect;
};

// The stored placement; a key that is missing or does not read as a number takes its default
// (a twentieth of the screen as margin, nine tenths of it as size). A placement that would leave
// the top of the window off the screen, or make it smaller than usable or larger than the
// screen, is brought back to the defaults.
Twips read(Platform& platform);

void write(Platform& platform, const QRect& pixels, double twipsPerPixel);

QRect toPixels(const QRectF& twips, double twipsPerPixel);

// A stored number as the settings keep it: the decimal text of a single-precision value.
bool parseStoredNumber(const QString& text, float* value);
QString formatStoredNumber(float value);

} // namespace WindowPlacement
