// The enhanced metafile path (record checks and rebuilding, the SVG converter, QtSvg) on
// arbitrary bytes, drawing into a small bitmap. Besides crashes, leaks and undefined behaviour,
// whatever the checks pass on must itself pass them unchanged: the rebuilt file is stable.
#include "FuzzGuiApplication.h"
#include "platform/pictures/EmfLoader.h"
#include "platform/pictures/EmfSanitizer.h"

#include <cstdint>
#include <cstdlib>

namespace {
constexpr qint64 FuzzPixels = 96 * 96;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const EmfSanitizer::Result clean = EmfSanitizer::sanitize(bytes);
    if (clean.ok()) {
        const EmfSanitizer::Result again = EmfSanitizer::sanitize(clean.bytes);
        if (!again.ok() || again.bytes != clean.bytes || again.naturalSizeMm != clean.naturalSizeMm)
            std::abort();
    }
    const EmfLoader::Result result = EmfLoader::render(bytes, FuzzPixels);
    if (!result.ok() && result.reason.isEmpty())
        std::abort();
    return 0;
}
