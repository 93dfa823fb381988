// A merged run against a single page: 100 rows of a label with a 24-megapixel picture to one PDF
// (every row filled, checked and drawn; the picture stored once), and the one-page PDF that
// gpctool render writes for the same label. Loading the document and decoding its picture is the
// same for both and left out, so the ratio is the merge's own cost.
#include "BenchSupport.h"
#include "merge/MergeFill.h"
#include "merge/MergeTable.h"
#include "printing/render/PageExport.h"
#include "shapes/ItemFonts.h"
#include "view/LabelRenderer.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int Rows = 100;

Picture picture24Mp() {
    QImage image(6000, 4000, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qRgb(x % 256, y % 256, (x / 7 + y / 5) % 256);
    }
    return Picture::fromBitmap(image);
}

LabelDocument label(const Picture& picture) {
    LabelDocument document;
    document.BackWidth = float(picture.naturalSizeMm().height());
    document.BackHeight = document.BackWidth;
    const auto add = [&](const QString& text, float top, int size) {
        TextItem& item = document.TextItems.emplace_back();
        item.Text = text;
        item.Top = top;
        item.Size = size;
        item.FontName = QStringLiteral("IPAGothic");
        const QSizeF extent = ItemFonts::measureText(item, RealSizeViewPx);
        item.Width = float(extent.width());
        item.Height = float(extent.height());
        item.Left = (LabelSideMm - item.Width) / 2;
    };
    add(QStringLiteral("{{title}}"), 20, 24);
    add(QStringLiteral("{{name}} 様"), 90, 16);
    add(QStringLiteral("No. {{#}} / 2026"), 100, 10);
    return document;
}

MergeTable::Table table() {
    QByteArray csv = "title,name\r\n";
    for (int i = 0; i < Rows; ++i)
        csv += QStringLiteral("週報 第%1回,会員%2\r\n").arg(i + 1).arg(i * 7).toUtf8();
    return *MergeTable::parse(csv, MergeTable::Separator::Comma).table;
}

struct Inputs {
    Picture picture = picture24Mp();
    LabelDocument document = label(picture);
    MergeTable::Table rows = table();
    QTemporaryDir dir;
    QString path(const char* name) const { return QDir(dir.path()).filePath(name); }
};

Inputs& inputs() {
    static Inputs shared;
    return shared;
}

void onePageRender(benchmark::State& state) {
    Inputs& in = inputs();
    LabelDocument filled = *MergeFill::fillRow(in.document, in.rows, 0, RealSizeViewPx).document;
    for (auto _ : state) {
        QString reason;
        if (!PageExport::writePdf(in.path("one.pdf"), filled, in.picture, PageExport::Page(),
                                  &reason))
            state.SkipWithError(qPrintable(reason));
    }
    state.counters["pdf_bytes"] = double(QFile(in.path("one.pdf")).size());
}
BENCHMARK(onePageRender)->Unit(benchmark::kMillisecond)->Iterations(3);

void hundredRowMerge(benchmark::State& state) {
    Inputs& in = inputs();
    for (auto _ : state) {
        if (MergeFill::checkAll(in.document, in.rows, RealSizeViewPx))
            state.SkipWithError("the table does not fill the label");
        QString reason;
        const auto labelAt = [&](int row) {
            return *MergeFill::fillRow(in.document, in.rows, row, RealSizeViewPx).document;
        };
        if (!PageExport::writePdfPages(in.path("merged.pdf"), Rows, labelAt, in.picture,
                                       PageExport::Page(), &reason))
            state.SkipWithError(qPrintable(reason));
    }
    state.counters["pdf_bytes"] = double(QFile(in.path("merged.pdf")).size());
}
BENCHMARK(hundredRowMerge)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    BenchSupport::useOffscreenPlatform();
    QGuiApplication app(argc, argv);
    return BenchSupport::runBenchmarks(argc, argv);
}
