#include "printing/PrintMedium.h"

#include "platform/SettingsKeys.h"
#include "printing/render/SheetCatalog.h"
#include "printing/render/SheetPage.h"

#include <QUrl>
#include <algorithm>
#include <cmath>

namespace PrintMedium {

namespace {

QString positionsKey(const SheetLayout& layout) {
    return SettingsKeys::PrintPositions + u'/' +
           QString::fromLatin1(QUrl::toPercentEncoding(layout.name));
}

bool sameSize(const QSizeF& a, const QSizeF& b) {
    constexpr double ToleranceMm = 0.5;
    return std::abs(a.width() - b.width()) < ToleranceMm &&
           std::abs(a.height() - b.height()) < ToleranceMm;
}

QString paperName(const QSizeF& pageMm) {
    if (sameSize(pageMm, QSizeF(210, 297)))
        return QStringLiteral("A4");
    if (sameSize(pageMm, QSizeF(215.9, 279.4)))
        return QStringLiteral("レター");
    return QStringLiteral("%1×%2 mm").arg(pageMm.width()).arg(pageMm.height());
}

} // namespace

Chosen chosen(Platform& platform) {
    QString name = platform.readSetting(SettingsKeys::Medium, SheetLayout::DiscTrayName);
    // A blank value is no choice made.
    if (name.trimmed().isEmpty())
        name = SheetLayout::DiscTrayName;
    const SheetLayout* layout = SheetCatalog::installed().find(name);
    if (!layout)
        return Chosen{std::nullopt, name};
    return Chosen{*layout, name};
}

bool choose(Platform& platform, const SheetLayout& layout) {
    return platform.writeSetting(SettingsKeys::Medium, layout.name);
}

QString missingReason(const QString& storedName) {
    return QStringLiteral("用紙「%1」が見つかりません。用紙を選び直してください。").arg(storedName);
}

QString caption(const SheetLayout& layout) {
    if (layout.isDiscTray())
        return QStringLiteral("ディスク（プリンターのトレイ）");
    return QStringLiteral("%1（%2）").arg(layout.name, paperName(layout.pageMm));
}

std::vector<int> lastPositions(Platform& platform, const SheetLayout& layout) {
    std::vector<int> positions;
    const QString stored = platform.readSetting(positionsKey(layout), QString());
    for (const QString& part : stored.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int number = part.trimmed().toInt(&ok);
        if (!ok || number < 1 || number > layout.positionCount() ||
            std::find(positions.begin(), positions.end(), number - 1) != positions.end())
            return SheetPage::allPositions(layout);
        positions.push_back(number - 1);
    }
    if (positions.empty())
        return SheetPage::allPositions(layout);
    std::sort(positions.begin(), positions.end());
    return positions;
}

void rememberPositions(Platform& platform, const SheetLayout& layout,
                       const std::vector<int>& positions) {
    QStringList numbers;
    for (const int position : positions)
        numbers << QString::number(position + 1);
    platform.writeSetting(positionsKey(layout), numbers.join(u','));
}

} // namespace PrintMedium
