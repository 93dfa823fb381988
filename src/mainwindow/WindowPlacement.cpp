#include "mainwindow/WindowPlacement.h"

#include "platform/Platform.h"

#include <QLocale>
#include <cmath>

namespace WindowPlacement {

namespace {
// Below this the menus and bands cannot be used.
constexpr double MinimumWidthTwips = 300 * 15;
constexpr double MinimumHeightTwips = 200 * 15;

float readNumber(Platform& platform, const QString& key, float defaultValue) {
    float value = 0;
    const QString text = platform.readSetting(key, QString());
    if (text.isEmpty() || !parseStoredNumber(text, &value))
        return defaultValue;
    return value;
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

QString formatStoredNumber(float value) { return QLocale::c().toString(value, 'g', 9); }

Twips read(Platform& platform) {
    const QSize screen = platform.screenSizeTwips();
    const QRectF defaults(screen.width() / 20.0, screen.height() / 20.0,
                          screen.width() * 9.0 / 10.0, screen.height() * 9.0 / 10.0);
    QRectF rect(readNumber(platform, QStringLiteral("MainLeft"), float(defaults.left())),
                readNumber(platform, QStringLiteral("MainTop"), float(defaults.top())),
                readNumber(platform, QStringLiteral("MainWidth"), float(defaults.width())),
                readNumber(platform, QStringLiteral("MainHeight"), float(defaults.height())));

    const QRectF screenRect(0, 0, screen.width(), screen.height());
    const bool usableSize = rect.width() >= MinimumWidthTwips &&
                            rect.height() >= MinimumHeightTwips &&
                            rect.width() <= screenRect.width() * 4 &&
                            rect.height() <= screenRect.height() * 4;
    // At least the top-left part with the menu bar must lie on the screen.
    const QRectF titleArea(rect.left(), rect.top(), std::min(rect.width(), 100.0 * 15), 30 * 15);
    if (!usableSize || !screenRect.intersects(titleArea))
        rect = defaults;
    return Twips{rect};
}

void write(Platform& platform, const QRect& pixels, double twipsPerPixel) {
    platform.writeSetting(QStringLiteral("MainLeft"), formatStoredNumber(float(pixels.left() * twipsPerPixel)));
    platform.writeSetting(QStringLiteral("MainTop"), formatStoredNumber(float(pixels.top() * twipsPerPixel)));
    platform.writeSetting(QStringLiteral("MainWidth"), formatStoredNumber(float(pixels.width() * twipsPerPixel)));
    platform.writeSetting(QStringLiteral("MainHeight"), formatStoredNumber(float(pixels.height() * twipsPerPixel)));
}

QRect toPixels(const QRectF& twips, double twipsPerPixel) {
    return QRect(qRound(twips.left() / twipsPerPixel), qRound(twips.top() / twipsPerPixel),
                 qRound(twips.width() / twipsPerPixel), qRound(twips.height() / twipsPerPixel));
}

} // namespace WindowPlacement
