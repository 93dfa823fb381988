// Drawing the printed page: a full-resolution 4000 x 4000 picture on the ring and 100 text
// items, as a 300 dpi A4 raster page (gpctool render to PNG, and what a raster printer driver
// receives) and as a PDF page (Print to a CUPS queue or a file, gpctool render to PDF).
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
    LabelDocument document;
    document.BackWidth = float(picture.naturalSizeMm().width());
    document.BackHeight = float(picture.naturalSizeMm().height());
    document.TextCount = MaxTextItems;
    for (int i = 0; i < MaxTextItems; ++i) {
        TextItem& item = document.item(i);
        item.Text = QStringLiteral(u"ラベル項目 %1 Label").arg(i);
        item.FontName = i % 2 ? QStringLiteral("IPAMincho") : QStringLiteral("IPAGothic");
        item.Left = float(i % 10) * 11;
        item.Top = float(i / 10) * 11;
        item.Size = 10 + i % 30;
        item.Color = i % 16;
    }
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
        PrintRenderer::drawLabel(painter, PrintRenderer::pageGeometry(page, 10, 5), document,
                                 picture);
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
            PrintRenderer::drawLabel(painter, PrintRenderer::pageGeometry(writer, 10, 5), document,
                                     picture);
        }
        bytes = buffer.size();
    }
    state.counters["pdf_bytes"] = double(bytes);
}
BENCHMARK(pdfPage)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // Fonts need a GUI application, never a display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
