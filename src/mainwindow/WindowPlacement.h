#pragma once

#include <QRect>
#include <QRectF>

class Platform;

// The main window's placement in the settings store ("MainLeft".."MainHeight", twips): its outer
// frame in desktop coordinates.
namespace WindowPlacement {

struct Twips {
    QRectF rect;
};

// The stored placement; a key that is missing or does not read as a number takes its default
// (a twentieth of the primary screen as margin from its corner, nine tenths of it as size). A
// placement is kept when it suits one of the screens, whichever: it is no larger than that
// screen, no smaller than usable, and the top of the window (title and menu bar) shows on the
// screen's usable area. Any other placement is brought back to the defaults.
Twips read(Platform& platform);

void write(Platform& platform, const QRect& pixels, double twipsPerPixel);

QRect toPixels(const QRectF& twips, double twipsPerPixel);

// A stored number as the settings keep it: the decimal text of a single-precision value.
bool parseStoredNumber(const QString& text, float* value);
QString formatStoredNumber(float value);

} // namespace WindowPlacement
