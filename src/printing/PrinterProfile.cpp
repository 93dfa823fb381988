#include "printing/PrinterProfile.h"

#include "platform/SettingsKeys.h"
#include "printing/render/OffsetNumber.h"

#include <QUrl>
#include <utility>

namespace {

const QString FieldNames[] = {QStringLiteral("Left"), QStringLiteral("Top"),
                              QStringLiteral("ScaleX"), QStringLiteral("ScaleY")};
// The keys every printer shared: the disc tray's offset before printers had their own.
const QString SharedKeys[] = {SettingsKeys::PrinterLeft, SettingsKeys::PrinterTop,
                              SettingsKeys::PrinterScaleX, SettingsKeys::PrinterScaleY};
const QString Defaults[] = {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("100"),
                            QStringLiteral("100")};

// A printer's or a medium's name as one part of a settings key: nothing in it can end the part,
// and the empty name gets a part no name encodes to.
QString keyPart(const QString& name) {
    return name.isEmpty() ? QStringLiteral("()")
                          : QString::fromLatin1(QUrl::toPercentEncoding(name));
}

} // namespace

PrinterProfile::PrinterProfile(Platform& platform, QString printerName, QString medium)
    : platform_(platform), printerName_(std::move(printerName)), medium_(std::move(medium)) {}

QString PrinterProfile::ownKey(Field field) const {
    if (printerName_.isEmpty() && medium_ == SheetLayout::DiscTrayName)
        return SharedKeys[field];
    return SettingsKeys::PrinterProfiles + u'/' + keyPart(printerName_) + u'/' + keyPart(medium_) +
           u'/' + FieldNames[field];
}

QString PrinterProfile::fallbackKey(Field field) const {
    const QString own = ownKey(field);
    if (medium_ != SheetLayout::DiscTrayName || own == SharedKeys[field])
        return QString();
    return SharedKeys[field];
}

// A missing key reads as the fallback's value, so a printer's own setting starts as the shared
// one until it is written.
QString PrinterProfile::read(Field field) const {
    const QString fallback = fallbackKey(field);
    const QString otherwise =
        fallback.isEmpty() ? Defaults[field] : platform_.readSetting(fallback, Defaults[field]);
    return platform_.readSetting(ownKey(field), otherwise);
}

PrinterProfile::OffsetTexts PrinterProfile::offsetTexts() const {
    return OffsetTexts{read(Left), read(Top), read(ScaleX), read(ScaleY)};
}

std::optional<PrinterProfile::Offset> PrinterProfile::offset() const {
    const std::optional<float> left = OffsetNumber::parseStored(read(Left));
    const std::optional<float> top = OffsetNumber::parseStored(read(Top));
    if (!left || !top)
        return std::nullopt;
    return Offset{*left, *top};
}

std::optional<double> PrinterProfile::parseScalePercent(const QString& text) {
    const std::optional<float> percent = OffsetNumber::parseStored(text);
    if (!percent || !SheetPage::scaleAllowed(*percent))
        return std::nullopt;
    return *percent;
}

std::optional<PrinterProfile::Scale> PrinterProfile::scale() const {
    const std::optional<double> x = parseScalePercent(read(ScaleX));
    const std::optional<double> y = parseScalePercent(read(ScaleY));
    if (!x || !y)
        return std::nullopt;
    return Scale{*x / 100, *y / 100};
}

QString PrinterProfile::unusableOffsetReason() {
    return QStringLiteral("印刷位置設定の値が数値でないか、%1～%2 mm の範囲を外れています。")
        .arg(-OffsetNumber::MaxOffsetMm)
        .arg(OffsetNumber::MaxOffsetMm);
}

QString PrinterProfile::unusableScaleReason() {
    return QStringLiteral("印刷位置設定の倍率が数値でないか、%1～%2 % の範囲を外れています。")
        .arg(SheetPage::MinScalePercent)
        .arg(SheetPage::MaxScalePercent);
}

bool PrinterProfile::writeOffset(const OffsetTexts& texts, QWidget* parent) const {
    bool stored = true;
    const QString* values[] = {&texts.left, &texts.top, &texts.scaleX, &texts.scaleY};
    for (int field = 0; field < FieldCount; ++field)
        if (!values[field]->isEmpty())
            stored = platform_.writeSetting(ownKey(Field(field)), *values[field]) && stored;
    if (!stored)
        platform_.showMessage(parent, QStringLiteral("印刷位置を保存できませんでした。"),
                              QStringLiteral("印刷位置設定"), MessageButtons::Ok);
    return stored;
}

QString PrinterProfile::lastPrinter(Platform& platform) {
    return platform.readSetting(SettingsKeys::LastPrinter, QString());
}

// A printer that cannot be remembered costs only the choice next time; printing goes on.
void PrinterProfile::rememberPrinter(Platform& platform, const QString& printerName) {
    if (!printerName.isEmpty() &&
        platform.readSetting(SettingsKeys::LastPrinter, QString()) != printerName)
        platform.writeSetting(SettingsKeys::LastPrinter, printerName);
}
