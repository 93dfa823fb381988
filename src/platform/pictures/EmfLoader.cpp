#include "platform/pictures/EmfLoader.h"

#include "platform/pictures/EmfSanitizer.h"
#include "platform/pictures/MetafileRaster.h"

#include <QPainter>
#include <QSvgRenderer>
#include <cstdlib>
#include <emf2svg.h>
#include <memory>

namespace EmfLoader {

namespace {

constexpr size_t MaxSvgBytes = size_t(256) * 1024 * 1024;

struct FreeDeleter {
    void operator()(char* text) const { std::free(text); }
};

// The drawing as SVG whose user units are the pixels of a `size` bitmap.
QByteArray toSvg(QByteArray& emf, QSize size) {
    generatorOptions options{};
    options.nameSpace = nullptr;
    options.verbose = false;
    options.emfplus = false;
    options.svgDelimiter = true;
    options.imgWidth = size.width();
    options.imgHeight = size.height();
    char* out = nullptr;
    size_t length = 0;
    const int ok = emf2svg(emf.data(), size_t(emf.size()), &out, &length, &options);
    const std::unique_ptr<char, FreeDeleter> owner(out);
    if (!ok || !out || length == 0 || length > MaxSvgBytes)
        return QByteArray();
    return QByteArray(out, qsizetype(length));
}

} // namespace

Result render(QByteArrayView bytes, qint64 maxPixels) {
    auto refuse = [](const QString& reason) { return Result{QImage(), QSizeF(), reason}; };
    EmfSanitizer::Result clean = EmfSanitizer::sanitize(bytes);
    if (!clean.ok())
        return refuse(clean.reason);
    const QSize size = MetafileRaster::sizeFor(clean.naturalSizeMm, maxPixels);
    const QByteArray svg = toSvg(clean.bytes, size);
    if (svg.isEmpty())
        return refuse(QStringLiteral("the enhanced metafile could not be converted"));
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return refuse(QStringLiteral("the enhanced metafile could not be drawn"));
    QImage image = MetafileRaster::canvas(size);
    if (image.isNull())
        return refuse(QStringLiteral("not enough memory to draw the metafile"));
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(image.rect()));
    painter.end();
    return Result{image, clean.naturalSizeMm, QString()};
}

} // namespace EmfLoader
