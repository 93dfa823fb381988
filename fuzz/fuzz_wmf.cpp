// The Windows metafile player on arbitrary bytes, drawing into a small bitmap so that many inputs
// run per second. Besides crashes, leaks and undefined behaviour, a picture it accepts must have
// a sane natural size and an image of the promised size.
#include "FuzzGuiApplication.h"
#include "platform/pictures/WmfPlayer.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {
constexpr qint64 FuzzPixels = 96 * 96;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const WmfPlayer::Result result = WmfPlayer::render(bytes, FuzzPixels);
    if (result.ok()) {
        const QSizeF mm = result.naturalSizeMm;
        if (!(mm.width() > 0) || !(mm.height() > 0) || !std::isfinite(mm.width()) ||
            !std::isfinite(mm.height()) ||
            qint64(result.image.width()) * result.image.height() > 2 * FuzzPixels + 16384)
            std::abort();
    } else if (result.reason.isEmpty()) {
        std::abort();
    }
    return 0;
}
