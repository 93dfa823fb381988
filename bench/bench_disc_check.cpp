// The check for text off the disc's ring: a whole label of 100 items (Print, the preview,
// gpctool check, opening a label), and the screen's cached answer on a redraw where nothing
// moved (a background drag) or one item moved (the end of a text drag).
#include "BenchSupport.h"
#include "view/DiscRangeCheck.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

namespace {

void wholeLabel(benchmark::State& state) {
    const LabelDocument document = BenchSupport::hundredItems();
    std::size_t found = 0;
    for (auto _ : state)
        found = DiscRangeCheck::check(document).size();
    state.counters["items_off_the_ring"] = double(found);
}
BENCHMARK(wholeLabel)->Unit(benchmark::kMillisecond);

void redrawNothingMoved(benchmark::State& state) {
    const LabelDocument document = BenchSupport::hundredItems();
    DiscRangeCache cache;
    cache.findings(document);
    for (auto _ : state)
        benchmark::DoNotOptimize(cache.findings(document).size());
}
BENCHMARK(redrawNothingMoved)->Unit(benchmark::kMicrosecond);

void redrawOneItemMoved(benchmark::State& state) {
    LabelDocument document = BenchSupport::hundredItems();
    DiscRangeCache cache;
    cache.findings(document);
    float step = 0.1f;
    for (auto _ : state) {
        document.item(55).Left += step;
        step = -step;
        benchmark::DoNotOptimize(cache.findings(document).size());
    }
}
BENCHMARK(redrawOneItemMoved)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    BenchSupport::useOffscreenPlatform();
    QGuiApplication app(argc, argv);
    return BenchSupport::runBenchmarks(argc, argv);
}
