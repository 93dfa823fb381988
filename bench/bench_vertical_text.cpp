// Vertical setting: laying out a 40-character column once its font is loaded, drawing it, its
// ink outline, and 100 columns over a 1000 × 1000 pixel view as a redraw would draw them.
#include "BenchSupport.h"
#include "text/VerticalText.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

// 40 characters: kanji, kana, small kana, brackets, punctuation, Latin and digits.
const QString& mixedText() {
    static const QString text =
        QStringLiteral("「夏の思い出」ライブ盤 Vol.12、ディスク2。ーCD-ROM 2024年8月");
    return text;
}

// An item of 12 points on a 1000-pixel view of the 122 mm label.
constexpr qreal ItemPx = 12 * 25.4 / 72 * 1000 / 122;

QList<QRawFont> gothic(qreal pixelSize) {
    return VerticalText::fontsFor(QFont(QStringLiteral("IPAGothic")), pixelSize);
}

VerticalOptions options() {
    VerticalOptions chosen;
    chosen.uprightDigits = true;
    chosen.spacingPx = 1;
    return chosen;
}

// The first column in a font: its tables are read and its shaping face made.
void BM_FirstLayoutInAFont(benchmark::State& state) {
    const QList<QRawFont> fonts = gothic(ItemPx);
    for (auto _ : state)
        benchmark::DoNotOptimize(VerticalText::layout(fonts, mixedText(), options()));
}

void BM_Layout40(benchmark::State& state) {
    const QList<QRawFont> fonts = gothic(ItemPx);
    VerticalText::layout(fonts, mixedText(), options());
    for (auto _ : state)
        benchmark::DoNotOptimize(VerticalText::layout(fonts, mixedText(), options()));
    state.counters["glyphs"] = double(VerticalText::layout(fonts, mixedText()).glyphs.size());
}

void BM_Draw40(benchmark::State& state) {
    const VerticalColumn column = VerticalText::layout(gothic(ItemPx), mixedText(), options());
    QImage image(1000, 1000, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (auto _ : state)
        VerticalText::draw(painter, column, QPointF(500, 100));
}

void BM_InkPath40(benchmark::State& state) {
    const VerticalColumn column = VerticalText::layout(gothic(ItemPx), mixedText(), options());
    for (auto _ : state)
        benchmark::DoNotOptimize(VerticalText::inkPath(column));
}

// 100 columns of 4 to 16 characters in sizes from 8 to 36 points, spread over the view: with
// `relayout` each is laid out again, as when nothing is kept between redraws.
void hundredColumns(benchmark::State& state, bool relayout) {
    const QStringList texts{QStringLiteral("ディスクラベル"), QStringLiteral("Track 12"),
                            QStringLiteral("思い出の写真 2024"),
                            QStringLiteral("「夏」ーライブ盤、第3集。")};
    struct Item {
        QList<QRawFont> fonts;
        QString text;
        QPointF at;
        VerticalColumn column;
    };
    std::vector<Item> items;
    for (int i = 0; i < 100; ++i) {
        const qreal px = (8 + (i * 7) % 29) * 25.4 / 72 * 1000 / 122;
        Item item{gothic(px),
                  texts[i % texts.size()],
                  QPointF((i * 37) % 110 * 1000 / 122.0, (i * 53) % 115 * 1000 / 122.0),
                  {}};
        item.column = VerticalText::layout(item.fonts, item.text, options());
        items.push_back(std::move(item));
    }
    QImage image(1000, 1000, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (auto _ : state) {
        image.fill(Qt::white);
        for (int i = 0; i < int(items.size()); ++i) {
            const Item& item = items[std::size_t(i)];
            painter.setPen(QColor::fromHsv(i * 23 % 360, 200, 160));
            if (relayout)
                VerticalText::draw(painter, VerticalText::layout(item.fonts, item.text, options()),
                                   item.at);
            else
                VerticalText::draw(painter, item.column, item.at);
        }
    }
}

void BM_Draw100Columns(benchmark::State& state) {
    hundredColumns(state, false);
}
void BM_LayOutAndDraw100Columns(benchmark::State& state) {
    hundredColumns(state, true);
}

} // namespace

BENCHMARK(BM_FirstLayoutInAFont)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Layout40)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Draw40)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InkPath40)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Draw100Columns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayOutAndDraw100Columns)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    BenchSupport::useOffscreenPlatform();
    QGuiApplication app(argc, argv);
    return BenchSupport::runBenchmarks(argc, argv);
}
