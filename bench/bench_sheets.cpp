// A sticker sheet's page from a 24-megapixel phone photo (kept compressed, the photo shown whole),
// written as gpctool render writes its PDF: one label in the tray, one label of Avery L6015 and
// both of them. Both labels decode the photo once and hand the PDF the same pixels, so the page
// costs little more than one label (ratio = this page's time ÷ the tray's one label).
#include "BenchSupport.h"
#include "platform/pictures/PictureLoader.h"
#include "printing/render/PageExport.h"
#include "printing/render/SheetCatalog.h"
#include "support/LargeJpeg.h"
#include "support/TestFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

struct Label {
    LabelDocument document;
    Picture picture;
};

// The photo's shorter side fills the label, as 背景を全体に合わせる leaves it.
const Label& photoLabel() {
    static const Label label = [] {
        const QString path = LargeJpeg::inFolder(folder().path(), 6000, 4000);
        PictureLoader::LoadResult loaded = PictureLoader::loadBytes(TestFiles::readAll(path));
        Label made{LabelDocument(), loaded.picture ? *loaded.picture : Picture()};
        const double side = made.picture.naturalSizeMm().height();
        made.document.BackLeft = float((made.picture.naturalSizeMm().width() - side) / 2);
        made.document.BackWidth = made.document.BackHeight = float(side);
        return made;
    }();
    return label;
}

double oneLabelInTrayMs = 0;

// Arg: 0 the tray's one label, 1 one label of the sheet, 2 both labels of the sheet.
void BM_SheetPage24MP(benchmark::State& state) {
    const Label& label = photoLabel();
    if (label.picture.isEmpty() || label.picture.decodedWhole()) {
        state.SkipWithError("the photo was not kept compressed");
        return;
    }
    PageExport::Page page;
    if (state.range(0) > 0) {
        page.layout = *SheetCatalog::installed().find(QStringLiteral("Avery L6015"));
        page.sizeMm = page.layout.pageMm;
        page.positions = state.range(0) == 1 ? std::vector<int>{0} : std::vector<int>{0, 1};
    }
    const QString pdf = folder().filePath(QStringLiteral("sheet.pdf"));
    double totalMs = 0;
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        QString reason;
        if (!PageExport::writePdf(pdf, label.document, label.picture, page, &reason)) {
            state.SkipWithError(qPrintable(reason));
            return;
        }
        totalMs += double(timer.nsecsElapsed()) / 1e6;
    }
    const double meanMs = totalMs / double(state.iterations());
    if (state.range(0) == 0)
        oneLabelInTrayMs = meanMs;
    else if (oneLabelInTrayMs > 0)
        state.counters["ratio_to_tray"] = meanMs / oneLabelInTrayMs;
    state.counters["pdf_MB"] = QFile(pdf).size() / 1048576.0;
}
BENCHMARK(BM_SheetPage24MP)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    BenchSupport::useOffscreenPlatform();
    QGuiApplication app(argc, argv);
    return BenchSupport::runBenchmarks(argc, argv);
}
