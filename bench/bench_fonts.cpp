// The cost of resolving stored font names: reading every installed family from fontconfig (once
// per run), a name asked again (every text drawn), and drawing all 100 items of a label whose
// fonts are installed, named by a Windows desktop, or missing.
#include "BenchSupport.h"
#include "platform/fonts/FontCatalog.h"
#include "view/LabelRenderer.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

void readCatalog(benchmark::State& state) {
    for (auto _ : state) {
        const FontCatalog catalog = FontCatalog::readInstalled();
        benchmark::DoNotOptimize(&catalog);
    }
}
BENCHMARK(readCatalog)->Unit(benchmark::kMillisecond);

void resolveAgain(benchmark::State& state) {
    const FontCatalog& catalog = FontCatalog::installed();
    const QString name = QStringLiteral("ＭＳ ゴシック");
    catalog.resolve(name);
    for (auto _ : state)
        benchmark::DoNotOptimize(catalog.resolve(name));
}
BENCHMARK(resolveAgain);

// Every item in one font, drawn on a 1000-pixel view.
void drawItems(benchmark::State& state, const char* font) {
    LabelDocument document = BenchSupport::hundredItems();
    for (int i = 0; i < document.itemCount(); ++i)
        document.item(i).FontName = QString::fromUtf8(font);
    QImage image(BenchSupport::ViewSidePx, BenchSupport::ViewSidePx, QImage::Format_RGB32);
    const Geometry geometry =
        Geometry::screen(BenchSupport::ViewSidePx);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        LabelRenderer::drawTextItems(painter, geometry, document);
    }
}
BENCHMARK_CAPTURE(drawItems, installed, "IPAGothic")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(drawItems, windows, "ＭＳ ゴシック")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(drawItems, missing, "Old Label Font")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    BenchSupport::useOffscreenPlatform();
    QGuiApplication app(argc, argv);
    return BenchSupport::runBenchmarks(argc, argv);
}
