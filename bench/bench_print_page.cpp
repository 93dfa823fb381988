// Drawing the printed page: a full-resolution 4000 x 4000 picture on the ring and 100 text
// items, as a 300 dpi A4 raster page (gpctool render to PNG, and what a raster printer driver
// receives) and as a PDF page (Print to a CUPS queue or a file, gpctool render to PDF).
#include "BenchSupport.h"
#include "printing/render/PrintRenderer.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <benchmark/benchmark.h>

namespace {

LabelDocument hundredItems(const Picture& picture) {
    LabelDocument document = BenchSupport::hundredItems();
    document.BackWidth = float(picture.naturalSizeMm().width());
    document.BackHeight = float(picture.naturalSizeMm().height());
    return document;
}

Picture gradientPicture() {
    QImage image(4000, 4000, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qRgb(x % 256, y % 256, (x + y) % 256);
    }
    return Picture::fromBitmap(image);
}

void rasterPageAt300Dpi(benchmark::State& state) {
    const Picture picture = gradientPicture();
    const LabelDocument document = hundredItems(picture);
    QImage page(2480, 3508, QImage::Format_RGB32);
    page.setDotsPerMeterX(11811);
    page.setDotsPerMeterY(11811);
    for (auto _ : state) {
        page.fill(Qt::white);
        QPainter painter(&page);
        PrintRenderer::drawLabel(painter, Geometry::page(page, 10, 5), document, picture);
    }
}
BENCHMARK(rasterPageAt300Dpi)->Unit(benchmark::kMillisecond);

void pdfPage(benchmark::State& state) {
    const Picture picture = gradientPicture();
    const LabelDocument document = hundredItems(picture);
    qint64 bytes = 0;
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        {
            QPdfWriter writer(&buffer);
            writer.setResolution(1200);
            writer.setPageLayout(
                QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
            QPainter painter(&writer);
            PrintRenderer::drawLabel(painter, Geometry::page(writer, 10, 5), document, picture);
        }
        bytes = buffer.size();
    }
    state.counters["pdf_bytes"] = double(bytes);
}
BENCHMARK(pdfPage)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    BenchSupport::useOffscreenPlatform();
    QGuiApplication app(argc, argv);
    return BenchSupport::runBenchmarks(argc, argv);
}
