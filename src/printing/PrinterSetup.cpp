#include "printing/PrinterSetup.h"

#include "platform/SettingsKeys.h"
#include "printing/render/OffsetNumber.h"

#include <QPageLayout>
#include <QPrinter>

namespace PrinterSetup {

std::optional<Offset> readStoredOffset(Platform& platform) {
    const auto left = OffsetNumber::parseStored(
        platform.readSetting(SettingsKeys::PrinterLeft, QStringLiteral("0")));
    const auto top = OffsetNumber::parseStored(
        platform.readSetting(SettingsKeys::PrinterTop, QStringLiteral("0")));
    if (!left || !top)
        return std::nullopt;
    return Offset{*left, *top};
}

void usePrintableArea(QPrinter& printer) {
    printer.setFullPage(false);
    const QPageLayout layout = printer.pageLayout();
    printer.setPageMargins(layout.minimumMargins(), layout.units());
}

} // namespace PrinterSetup
