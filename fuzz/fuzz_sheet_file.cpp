// A user's sheet file on arbitrary bytes. Besides crashes, leaks and undefined behaviour it checks
// that an accepted sheet is whole (a page of a sane size, 1 to 12 labels each on the page and none
// overlapping another, the hole smaller than the label) and that every refusal has a message in
// both languages.
#include "FuzzRequire.h"
#include "document/SheetFile.h"

#include <QLineF>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const SheetFile::Read read = SheetFile::fromBytes(bytes);
    if (!read.sheet) {
        require(!SheetFile::english(read.problem).isEmpty());
        require(!SheetFile::japanese(read.problem).isEmpty());
        return 0;
    }
    const SheetLayout& sheet = *read.sheet;
    require(!sheet.name.isEmpty() && !sheet.isDiscTray());
    require(sheet.positionCount() >= 1 && sheet.positionCount() <= SheetLayout::MaxLabels);
    require(sheet.holeDiameterMm >= 0 && sheet.holeDiameterMm < sheet.outerDiameterMm);
    const double r = sheet.outerDiameterMm / 2;
    for (int i = 0; i < sheet.positionCount(); ++i) {
        const QPointF c = sheet.centresMm[std::size_t(i)];
        require(c.x() - r > -1e-3 && c.y() - r > -1e-3 && c.x() + r < sheet.pageMm.width() + 1e-3 &&
                c.y() + r < sheet.pageMm.height() + 1e-3);
        for (int j = 0; j < i; ++j)
            require(QLineF(c, sheet.centresMm[std::size_t(j)]).length() >
                    sheet.outerDiameterMm - 1e-3);
    }
    return 0;
}
