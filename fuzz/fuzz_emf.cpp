// The enhanced metafile path (record checks and rebuilding, the SVG converter, QtSvg) on
// arbitrary bytes, drawing into a small bitmap. Besides crashes, leaks and undefined behaviour,
// whatever the checks pass on must itself pass them unchanged: the rebuilt file is stable.
#include "platform/pictures/EmfLoader.h"
#include "platform/pictures/EmfSanitizer.h"

#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>

namespace {
constexpr qint64 FuzzPixels = 96 * 96;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Text needs the font database, which needs an application object. It lives until the
    // process ends: destroying it after Qt's own globals crashes.
    static int count = 1;
    static char* arguments[] = {(*argv)[0], nullptr};
    (void)argc;
    new QGuiApplication(count, arguments);
    return 0;
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
