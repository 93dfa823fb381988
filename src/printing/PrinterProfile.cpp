#include "printing/PrinterProfile.h"

#include "platform/SettingsKeys.h"
#include "printing/render/OffsetNumber.h"

#include <utility>

namespace {
const QString MissingOffset = QStringLiteral("0");
} // namespace

PrinterProfile::PrinterProfile(Platform& platform, QString printerName, Medium medium)
    : platform_(platform), printerName_(std::move(printerName)), medium_(medium) {}

PrinterProfile::OffsetKeys PrinterProfile::offsetKeys() const {
    return OffsetKeys{SettingsKeys::PrinterLeft, SettingsKeys::PrinterTop};
}

PrinterProfile::OffsetTexts PrinterProfile::offsetTexts() const {
    const OffsetKeys keys = offsetKeys();
    return OffsetTexts{platform_.readSetting(keys.left, MissingOffset),
                       platform_.readSetting(keys.top, MissingOffset)};
}

std::optional<PrinterProfile::Offset> PrinterProfile::offset() const {
    const OffsetTexts texts = offsetTexts();
    const std::optional<float> left = OffsetNumber::parseStored(texts.left);
    const std::optional<float> top = OffsetNumber::parseStored(texts.top);
    if (!left || !top)
        return std::nullopt;
    return Offset{*left, *top};
}

QString PrinterProfile::unusableOffsetReason() {
    return QStringLiteral("印刷位置設定の値が数値でないか、%1～%2 mm の範囲を外れています。")
        .arg(-OffsetNumber::MaxOffsetMm)
        .arg(OffsetNumber::MaxOffsetMm);
}

bool PrinterProfile::writeOffset(const OffsetTexts& texts, QWidget* parent) const {
    const OffsetKeys keys = offsetKeys();
    bool stored = true;
    for (const auto& [key, text] : {std::pair{keys.left, texts.left}, {keys.top, texts.top}})
        if (!text.isEmpty())
            stored = platform_.writeSetting(key, text) && stored;
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
