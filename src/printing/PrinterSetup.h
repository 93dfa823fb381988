#pragma once

#include "platform/Platform.h"

#include <optional>

class QPrinter;

// What every print job of the label shares: the stored printer offset and the page's origin.
namespace PrinterSetup {

// The printer offset in millimetres from the printable area's top-left corner.
struct Offset {
    float leftMm = 0;
    float topMm = 0;
};

// From the settings store (missing keys read as 0); empty when a stored value is not a usable
// number.
std::optional<Offset> readStoredOffset(Platform& platform);

// The offset is measured from the printable area, which is the paper less the printer's hardware
// margins. QPrinter starts with margins of its own (10 points), and a print dialog may leave
// others; the painter's origin must depend on neither.
void usePrintableArea(QPrinter& printer);

} // namespace PrinterSetup
