#include "mainwindow/WindowPlacement.h"

#include "platform/Platform.h"
#include "platform/SettingsKeys.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace WindowPlacement {

namespace {
// Below this the menus and bands cannot be used.
constexpr double MinimumWidthTwips = 300 * 15;
constexpr double MinimumHeightTwips = 200 * 15;
// The top of the window (title and menu bar) must show this much on the screen to be reached.
constexpr double TopStripTwips = 30 * 15;
constexpr double ReachableWidthTwips = 100 * 15;
constexpr double ReachableHeightTwips = 15 * 15;

float readNumber(Platform& platform, const QString& key, float defaultValue) {
    float value = 0;
    const QString text = platform.readSetting(key, QString());
    if (text.isEmpty() || !parseStoredNumber(text, &value))
        return defaultValue;
    return value;
}

// A placement from a screen that is gone (or a damaged store) can be larger than the screens
// left or show no more than a corner of the window on them; such a window could be neither
// moved nor resized.
bool usableOn(const QRectF& rect, const ScreenTwips& screen) {
    const QRectF whole(screen.whole);
    const bool usableSize = rect.width() >= MinimumWidthTwips &&
                            rect.height() >= MinimumHeightTwips && rect.width() <= whole.width() &&
                            rect.height() <= whole.height();
    const QRectF shownTop = QRectF(rect.left(), rect.top(), rect.width(), TopStripTwips)
                                .intersected(QRectF(screen.available));
    return usableSize && shownTop.width() >= std::min(rect.width(), ReachableWidthTwips) &&
           shownTop.height() >= ReachableHeightTwips;
}

bool usableOnAny(const QRectF& rect, const QList<ScreenTwips>& screens) {
    return std::any_of(screens.cbegin(), screens.cend(),
                       [&rect](const ScreenTwips& screen) { return usableOn(rect, screen); });
}
} // namespace

bool parseStoredNumber(const QString& text, float* value) {
    bool ok = false;
    const float parsed = QLocale::c().toFloat(text.trimmed(), &ok);
    if (!ok || !std::isfinite(parsed))
        return false;
    *value = parsed;
    return true;
}

QString formatStoredNumber(float value) {
    return QLocale::c().toString(value, 'g', 9);
}

Twips read(Platform& platform) {
    const QList<ScreenTwips> screens = platform.screensTwips();
    const QRect primary = screens.isEmpty() ? QRect() : screens.first().whole;
    const QRectF defaults(primary.left() + primary.width() / 20.0,
                          primary.top() + primary.height() / 20.0, primary.width() * 9.0 / 10.0,
                          primary.height() * 9.0 / 10.0);
    QRectF rect(readNumber(platform, SettingsKeys::MainLeft, float(defaults.left())),
                readNumber(platform, SettingsKeys::MainTop, float(defaults.top())),
                readNumber(platform, SettingsKeys::MainWidth, float(defaults.width())),
                readNumber(platform, SettingsKeys::MainHeight, float(defaults.height())));

    if (!usableOnAny(rect, screens))
        rect = defaults;
    return Twips{rect};
}

void write(Platform& platform, const QRect& pixels, double twipsPerPixel) {
    platform.writeSetting(SettingsKeys::MainLeft,
                          formatStoredNumber(float(pixels.left() * twipsPerPixel)));
    platform.writeSetting(SettingsKeys::MainTop,
                          formatStoredNumber(float(pixels.top() * twipsPerPixel)));
    platform.writeSetting(SettingsKeys::MainWidth,
                          formatStoredNumber(float(pixels.width() * twipsPerPixel)));
    platform.writeSetting(SettingsKeys::MainHeight,
                          formatStoredNumber(float(pixels.height() * twipsPerPixel)));
}

QRect toPixels(const QRectF& twips, double twipsPerPixel) {
    return QRect(qRound(twips.left() / twipsPerPixel), qRound(twips.top() / twipsPerPixel),
                 qRound(twips.width() / twipsPerPixel), qRound(twips.height() / twipsPerPixel));
}

} // namespace WindowPlacement
