// Phone photos far larger than the label needs: a 48-megapixel (8000 × 6000) and a 200-megapixel
// (16320 × 12240) JPEG, made here row by row.
//  - Opening a document that holds the 48 MP photo up to the first paint with it, against a full
//    decode of the same JPEG (ratio = open ÷ decode).
//  - The editor's peak memory after opening each document, showing it and showing the whole
//    photo (a child process each, so nothing else this program does counts).
//  - Redraws while dragging the 48 MP photo at step -100 across the label, with sharper pixels
//    arriving from the background decode: mean and longest frame.
//  - gpctool render to PDF of a label with a 24 MP photo (as placed by 背景を開く, and shown
//    whole): time and peak memory of the process, against gLabels 3's batch tool where installed.
#include "BenchSupport.h"
#include "document/LabelFileStore.h"
#include "support/LargeJpeg.h"
#include "support/PeakMemory.h"
#include "view/ViewPictureCache.h"
#include "view/widgets/LabelView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <ctime>

namespace {

using BenchSupport::ViewSidePx;
constexpr double MmPerPx = 25.4 / 96;

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

QString photo(int width, int height) {
    return LargeJpeg::inFolder(folder().path(), width, height);
}

// The label as "背景を開く" leaves it (step 0 from the corner), or with the photo's shorter side
// filling it.
QString document(int width, int height, bool whole = false) {
    const QString path = folder().filePath(
        QStringLiteral("label-%1x%2%3.gpc").arg(width).arg(height).arg(whole ? "-whole" : ""));
    if (!QFile::exists(path)) {
        LabelDocument label;
        label.BackWidth = label.BackHeight = float(LabelSideMm);
        if (whole)
            label.BackWidth = label.BackHeight = float(std::min(width, height) * MmPerPx);
        LabelFileStore::save(path, label, 0, photo(width, height));
    }
    return path;
}

double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The child of the memory benchmarks: open, show, show whole, report the peak.
int openAndReport(const QString& path) {
    BenchSupport::EditorWindow w;
    if (!w.window.openDocumentFile(path))
        return 1;
    const QSize pixels = w.window.backgroundPicture().pixelSize();
    w.window.document().BackWidth = w.window.document().BackHeight =
        float(std::min(pixels.width(), pixels.height()) * MmPerPx);
    w.window.RedrawLabel();
    BenchSupport::waitForDecodes();
    std::printf("%.1f\n", PeakMemory::megabytes());
    return 0;
}

void BM_OpenDocument48MP_FirstPaint(benchmark::State& state) {
    const QString path = document(8000, 6000);
    BenchSupport::EditorWindow w;
    for (auto _ : state) {
        w.window.openDocumentFile(path); // ends with the redraw that shows the photo
        benchmark::DoNotOptimize(w.window.picDoc()->image().constBits());
    }
}
BENCHMARK(BM_OpenDocument48MP_FirstPaint)->Unit(benchmark::kMillisecond)->Iterations(8);

void BM_FullDecode48MP(benchmark::State& state) {
    const QString path = photo(8000, 6000);
    for (auto _ : state) {
        QImageReader reader(path);
        reader.setAllocationLimit(1024);
        benchmark::DoNotOptimize(reader.read());
    }
}
BENCHMARK(BM_FullDecode48MP)->Unit(benchmark::kMillisecond)->Iterations(8);

void BM_EditorPeakMemory(benchmark::State& state) {
    const QString path = document(int(state.range(0)), int(state.range(1)));
    double peak = 0;
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--open"), path});
        child.waitForFinished(300000);
        peak = child.readAllStandardOutput().trimmed().toDouble();
    }
    state.counters["peak_MB"] = peak;
}
BENCHMARK(BM_EditorPeakMemory)
    ->Args({8000, 6000})
    ->Args({16320, 12240})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// A drag across the photo at step -100, 20 view pixels a frame; each frame also handles whatever
// the background decode delivered meanwhile (its redraw included).
void BM_Drag48MP_StepMinus100(benchmark::State& state) {
    BenchSupport::EditorWindow w;
    w.window.openDocumentFile(document(8000, 6000));
    w.window.setScaleStep(-100);
    LabelDocument& label = w.window.document();
    const double stepMm = 20 * double(label.BackWidth) / ViewSidePx;
    double longest = 0, longestCpu = 0, total = 0;
    int frames = 0, slow = 0;
    QElapsedTimer timer;
    for (auto _ : state) {
        label.BackLeft = float(std::fmod(frames * stepMm, 1800.0));
        label.BackTop = float(std::fmod(frames * stepMm * 0.6, 1300.0));
        const double cpuBefore = threadCpuMs();
        timer.start();
        w.window.RedrawLabel();
        QApplication::processEvents();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        longest = std::max(longest, ms);
        slow += ms > 16;
        longestCpu = std::max(longestCpu, threadCpuMs() - cpuBefore);
        total += ms;
        ++frames;
    }
    state.counters["mean_ms"] = total / frames;
    // Wall time includes waiting for the processor on a busy machine; the interface thread's own
    // processor time is what the frame cost.
    state.counters["longest_ms"] = longest;
    state.counters["longest_cpu_ms"] = longestCpu;
    state.counters["frames_over_16ms"] = slow;
}
BENCHMARK(BM_Drag48MP_StepMinus100)->Unit(benchmark::kMillisecond)->Iterations(600);

// Redraws at step 0 over a part already decoded: the cost of a frame while dragging.
void BM_RedrawLabel48MP_1000px(benchmark::State& state) {
    BenchSupport::EditorWindow w;
    w.window.openDocumentFile(document(8000, 6000));
    LabelDocument& label = w.window.document();
    int i = 0;
    for (auto _ : state) {
        label.BackLeft = float(10 + (i % 50));
        label.BackTop = float(5 + (i++ % 30));
        w.window.RedrawLabel();
    }
    BenchSupport::waitForDecodes();
}
BENCHMARK(BM_RedrawLabel48MP_1000px)->Unit(benchmark::kMillisecond)->MinTime(1.0);

struct Measured {
    double ms = 0;
    double peakMb = 0;
};

// Runs a program to its end: its time and peak resident memory. The memory is measured by time(1):
// a process forked from this one would carry this one's memory into its own peak.
Measured runMeasured(const QString& program, const QStringList& arguments) {
    const QString report = folder().filePath(QStringLiteral("time.txt"));
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QStringLiteral("/usr/bin/time"),
                  QStringList{QStringLiteral("-f"), QStringLiteral("%M"), QStringLiteral("-o"),
                              report, program} +
                      arguments);
    process.waitForFinished(-1);
    Measured measured{double(timer.nsecsElapsed()) / 1e6, 0};
    QFile file(report);
    if (file.open(QIODevice::ReadOnly))
        measured.peakMb = file.readAll().trimmed().toDouble() / 1024.0;
    return measured;
}

// The same label for gLabels 3: a 122 mm disc label on A4 holding the photo placed as the
// document places it (the photo's natural size at 96 pixels per inch, or its shorter side filling
// the label), clipped to the disc like ours.
QString gLabelsDocument(int width, int height, bool whole) {
    const QString path = folder().filePath(
        QStringLiteral("label-%1x%2%3.glabels").arg(width).arg(height).arg(whole ? "-whole" : ""));
    const double mmPerPx = whole ? double(LabelSideMm) / std::min(width, height) : MmPerPx;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(QStringLiteral(R"(<?xml version="1.0"?>
<Glabels-document xmlns="http://glabels.org/xmlns/3.0/">
  <Template brand="Bench" part="Disc-122" size="A4" _description="Disc label">
    <Meta category="media"/>
    <Label-cd id="0" radius="61mm" hole="11mm" waste="0mm">
      <Markup-margin size="0mm"/>
      <Layout nx="1" ny="1" x0="44mm" y0="20mm" dx="122mm" dy="122mm"/>
    </Label-cd>
  </Template>
  <Objects id="0" rotate="False">
    <Object-image x="0mm" y="0mm" w="%1mm" h="%2mm" src="%3" a0="1" a1="0" a2="0" a3="1" a4="0" a5="0"/>
  </Objects>
</Glabels-document>
)")
                   .arg(width * mmPerPx)
                   .arg(height * mmPerPx)
                   .arg(photo(width, height))
                   .toUtf8());
    return path;
}

// gpctool render to PDF, timed per iteration; with gLabels 3's batch tool installed
// (scripts/install-deps bench), its PDF of the same label is made in the same iterations and the
// ratios of time and peak memory are reported.
void BM_GpctoolRenderPdf24MP(benchmark::State& state) {
    const bool whole = state.range(0) != 0;
    const QString label = document(6000, 4000, whole);
    const QString pdf = folder().filePath(QStringLiteral("page.pdf"));
    const QString tool = QStringLiteral(GPCTOOL_PATH);
    const QString gLabels = QStringLiteral("/usr/bin/glabels-3-batch");
    const bool compare = QFile::exists(gLabels);
    const QString gLabelsLabel = compare ? gLabelsDocument(6000, 4000, whole) : QString();
    const QString gLabelsPdf = folder().filePath(QStringLiteral("glabels.pdf"));
    Measured ours, theirs;
    for (auto _ : state) {
        const Measured run = runMeasured(tool, {QStringLiteral("render"), label, pdf});
        state.SetIterationTime(run.ms / 1e3);
        ours.ms += run.ms;
        ours.peakMb = std::max(ours.peakMb, run.peakMb);
        if (compare) {
            const Measured other =
                runMeasured(gLabels, {QStringLiteral("-o"), gLabelsPdf, gLabelsLabel});
            theirs.ms += other.ms;
            theirs.peakMb = std::max(theirs.peakMb, other.peakMb);
        }
    }
    state.counters["peak_MB"] = ours.peakMb;
    state.counters["pdf_MB"] = QFile(pdf).size() / 1048576.0;
    if (!compare || theirs.ms <= 0 || theirs.peakMb <= 0)
        return;
    state.counters["glabels_ms"] = theirs.ms / double(state.iterations());
    state.counters["glabels_peak_MB"] = theirs.peakMb;
    state.counters["time_ratio"] = ours.ms / theirs.ms;
    state.counters["memory_ratio"] = ours.peakMb / theirs.peakMb;
}
// Arg 0: step 0 from the corner; 1: the whole photo.
BENCHMARK(BM_GpctoolRenderPdf24MP)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    BenchSupport::useOffscreenPlatform();
    if (argc == 3 && qstrcmp(argv[1], "--open") == 0) {
        QApplication app(argc, argv);
        return openAndReport(QString::fromLocal8Bit(argv[2]));
    }
    QApplication app(argc, argv);
    return BenchSupport::runBenchmarks(argc, argv);
}
