// The check for text off the disc's ring: a whole label of 100 items (Print, the preview,
// gpctool check, opening a label), and the screen's cached answer on a redraw where nothing
// moved (a background drag) or one item moved (the end of a text drag).
#include "view/DiscRangeCheck.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

namespace {

LabelDocument hundredItems() {
    LabelDocument document;
    document.TextCount = MaxTextItems;
    for (int i = 0; i < MaxTextItems; ++i) {
        TextItem& item = document.item(i);
        item.Text = QStringLiteral(u"ラベル項目 %1 Label").arg(i);
        item.FontName = i % 2 ? QStringLiteral("IPAMincho") : QStringLiteral("IPAGothic");
        item.Left = float(i % 10) * 11;
        item.Top = float(i / 10) * 11;
        item.Size = 10 + i % 30;
    }
    return document;
}

void wholeLabel(benchmark::State& state) {
    const LabelDocument document = hundredItems();
    std::size_t found = 0;
    for (auto _ : state)
        found = DiscRangeCheck::check(document).size();
    state.counters["items_off_the_ring"] = double(found);
}
BENCHMARK(wholeLabel)->Unit(benchmark::kMillisecond);

void redrawNothingMoved(benchmark::State& state) {
    const LabelDocument document = hundredItems();
    DiscRangeCache cache;
    cache.findings(document);
    for (auto _ : state)
        benchmark::DoNotOptimize(cache.findings(document).size());
}
BENCHMARK(redrawNothingMoved)->Unit(benchmark::kMicrosecond);

void redrawOneItemMoved(benchmark::State& state) {
    LabelDocument document = hundredItems();
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
    // Fonts need a GUI application, never a display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
