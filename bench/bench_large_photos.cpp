// Phone photos far larger than the label needs: a 48-megapixel (8000 × 6000) and a 200-megapixel
// (16320 × 12240) JPEG, made here row by row.
//  - The first frame that shows a 48 MP photo of high detail (a 37 MB JPEG), as a user sees it:
//    from the editor's start with the document named on its command line, and from the open in a
//    running editor, to the first frame painted with the photo (an EXIF thumbnail's counts) and
//    to the frame the view then settles on; against a full decode of the same JPEG.
//  - The editor's peak memory after opening each document, showing it and showing the whole
//    photo (a child process each, so nothing else this program does counts).
//  - Redraws while dragging the 48 MP photo at step -100 across the label, with sharper pixels
//    arriving from the background decode: mean and longest frame.
//  - gpctool render --view of the 48 MP photo of high detail at the corner, the far corner and
//    whole.
//  - gpctool render to PDF of a disc label with a 24 MP photo (as placed by 背景を開く, and shown
//    whole) and a dozen lines of text: time, peak memory and size of the file, against gLabels 3's
//    batch tool on the same label where installed.
#include "BenchSupport.h"
#include "document/LabelFileStore.h"
#include "support/LargeJpeg.h"
#include "shapes/ItemPlacement.h"
#include "support/PeakMemory.h"
#include "view/LabelRenderer.h"
#include "view/ViewPictureCache.h"
#include "view/widgets/LabelView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <ctime>
#include <vector>

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

// A label whose background is the photo as "背景を開く" leaves it (step 0 from the corner), or
// with the photo's shorter side filling it.
LabelDocument placedPhoto(int width, int height, bool whole) {
    LabelDocument label;
    label.BackWidth = label.BackHeight = float(LabelSideMm);
    if (whole)
        label.BackWidth = label.BackHeight = float(std::min(width, height) * MmPerPx);
    return label;
}

// The photo's label, saved once.
QString document(int width, int height, bool whole = false) {
    const QString path = folder().filePath(
        QStringLiteral("label-%1x%2%3.gpc").arg(width).arg(height).arg(whole ? "-whole" : ""));
    if (!QFile::exists(path))
        LabelFileStore::save(path, placedPhoto(width, height, whole), 0, photo(width, height));
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

// ---- The first frame with the photo, as a user sees it ---------------------------------------

LargeJpeg::Options detailed(bool thumbnail) {
    LargeJpeg::Options options;
    options.highDetail = true;
    options.thumbnail = thumbnail;
    return options;
}

// The high-detail photo's label as 背景を開く leaves it, or as 背景を全体に合わせる leaves it (the
// shorter side filling the label, centred along the longer); with or without an EXIF thumbnail.
QString detailedDocument(bool fitted, bool thumbnail) {
    const QString path = folder().filePath(QStringLiteral("detailed%1%2.gpc")
                                               .arg(fitted ? "-fitted" : "")
                                               .arg(thumbnail ? "-thumbnail" : ""));
    if (!QFile::exists(path)) {
        LabelDocument label;
        label.BackWidth = label.BackHeight = float(LabelSideMm);
        if (fitted) {
            label.BackWidth = label.BackHeight = float(6000 * MmPerPx);
            label.BackLeft = float(1000 * MmPerPx);
        }
        LabelFileStore::save(path, label, 0,
                             LargeJpeg::inFolder(folder().path(), 8000, 6000, detailed(thumbnail)));
    }
    return path;
}

QString emptyDocument() {
    const QString path = folder().filePath(QStringLiteral("empty.gpc"));
    if (!QFile::exists(path))
        LabelFileStore::save(path, LabelDocument(), 0, QString());
    return path;
}

double monotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// What a frame shows: whether most of it is picture rather than the empty label's white, and how
// much detail it has (the mean difference of neighbouring pixels along a few rows): a photo of high
// detail drawn from a small copy (a thumbnail, or pixels of another zoom) has less.
struct FrameLook {
    bool picture = false;
    double detail = 0;
};

FrameLook lookOf(const QImage& image) {
    constexpr int Rows = 24;
    FrameLook look;
    if (image.isNull() || image.width() < 2)
        return look;
    qint64 coloured = 0, count = 0;
    double total = 0;
    for (int j = 0; j < Rows; ++j) {
        const QRgb* row = reinterpret_cast<const QRgb*>(
            image.constScanLine((2 * j + 1) * image.height() / (2 * Rows)));
        for (int x = 1; x < image.width(); ++x) {
            const QRgb a = row[x - 1], b = row[x];
            coloured += std::min({qRed(b), qGreen(b), qBlue(b)}) < 230;
            total += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                     std::abs(qBlue(a) - qBlue(b));
            ++count;
        }
    }
    look.picture = coloured * 2 > count;
    look.detail = total / double(3 * count);
    return look;
}

// Every frame the view paints, with the time it was painted.
class FrameLog : public QObject {
public:
    struct Frame {
        double ms;
        FrameLook look;
    };
    std::vector<Frame> frames;

    explicit FrameLog(LabelView* view) : view_(view) { view->installEventFilter(this); }
    double lastMs() const { return frames.empty() ? 0 : frames.back().ms; }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (object == view_ && event->type() == QEvent::Paint)
            frames.push_back(Frame{monotonicMs(), lookOf(view_->image())});
        return false;
    }

private:
    LabelView* view_;
};

// The child of the first-frame benchmarks: the editor as its main() starts it, with the document
// named on its command line ("start"), or opened once the window has shown and gone idle
// ("running", as the open dialog's Enter does). Prints the monotonic clock's milliseconds at the
// open, the first frame, the first frame showing a picture and the first showing it sharp (with
// nine tenths of the detail of the frame the view settles on).
int watchFirstFrames(bool running, const QString& path) {
    BenchSupport::Platform platform;
    frmMain window(platform);
    FrameLog log(window.picDoc());
    double openedMs = 0;
    const auto open = [&] {
        openedMs = monotonicMs();
        window.openDocumentFile(path);
    };
    window.show();
    if (!running)
        open();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const double now = monotonicMs();
        if (openedMs == 0) {
            if (!log.frames.empty() && now - log.lastMs() > 300) {
                log.frames.clear();
                open();
            }
        } else if (!ViewPictureCache::decodingAnywhere() && !log.frames.empty() &&
                   now - log.lastMs() > 500) {
            QApplication::quit();
        }
    });
    tick.start(20);
    QTimer::singleShot(60000, qApp, &QApplication::quit);
    QApplication::exec();
    if (log.frames.empty())
        return 1;
    const double settledDetail = log.frames.back().look.detail;
    double pictureMs = 0, sharpMs = 0;
    for (const FrameLog::Frame& frame : log.frames) {
        if (pictureMs == 0 && frame.look.picture)
            pictureMs = frame.ms;
        if (sharpMs == 0 && frame.look.picture && frame.look.detail >= 0.9 * settledDetail)
            sharpMs = frame.ms;
    }
    std::printf("%.3f %.3f %.3f %.3f\n", openedMs, log.frames.front().ms, pictureMs, sharpMs);
    return 0;
}

struct FirstFrames {
    double firstMs = 0;   // any frame of the view
    double pictureMs = 0; // the first with a picture
    double sharpMs = 0;   // the first with the picture sharp
};

// Runs the child: times from the child's start ("start") or from the open ("running").
FirstFrames firstFrames(bool running, const QString& path) {
    QProcess child;
    // A screen of a usual size: the window takes its default placement on it.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (environment.value(QStringLiteral("QT_QPA_PLATFORM")) == QLatin1String("offscreen")) {
        const QString screens = folder().filePath(QStringLiteral("screens.json"));
        QFile file(screens);
        if (file.open(QIODevice::WriteOnly))
            file.write(R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 1920,
                           "height": 1200, "logicalDpi": 96}]})");
        file.close();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"),
                           QStringLiteral("offscreen:configfile=") + screens);
    }
    child.setProcessEnvironment(environment);
    const double startMs = monotonicMs();
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--first-frame"),
                 running ? QStringLiteral("running") : QStringLiteral("start"), path});
    child.waitForFinished(120000);
    const QList<QByteArray> fields = child.readAllStandardOutput().simplified().split(' ');
    if (fields.size() != 4)
        return {};
    const double from = running ? fields[0].toDouble() : startMs;
    return FirstFrames{fields[1].toDouble() - from, fields[2].toDouble() - from,
                       fields[3].toDouble() - from};
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Qt's decode of the whole high-detail photo: the yardstick, taken beside every measurement, since
// a processor shared with other work is slower at one moment than at the next.
double fullDecodeMs() {
    const QString path = LargeJpeg::inFolder(folder().path(), 8000, 6000, detailed(false));
    QElapsedTimer timer;
    timer.start();
    QImageReader reader(path);
    reader.setAllocationLimit(1024);
    benchmark::DoNotOptimize(reader.read());
    return double(timer.nsecsElapsed()) / 1e6;
}

// Arguments: fitted (0: the corner as 背景を開く leaves it), EXIF thumbnail, running editor (0:
// from the editor's start, less the same for an empty label). Medians of the iterations; the
// ratios are those of each iteration's times to the full decode measured with it.
void BM_FirstFrame48MP(benchmark::State& state) {
    const bool fitted = state.range(0) != 0, thumbnail = state.range(1) != 0;
    const bool running = state.range(2) != 0;
    const QString path = detailedDocument(fitted, thumbnail);
    std::vector<double> picture, sharp, decode, pictureRatio, sharpRatio;
    for (auto _ : state) {
        const FirstFrames shown = firstFrames(running, path);
        const double emptyMs = running ? 0 : firstFrames(false, emptyDocument()).firstMs;
        decode.push_back(fullDecodeMs());
        picture.push_back(shown.pictureMs - emptyMs);
        sharp.push_back(shown.sharpMs - emptyMs);
        pictureRatio.push_back(picture.back() / decode.back());
        sharpRatio.push_back(sharp.back() / decode.back());
        state.SetIterationTime(std::max(sharp.back(), 0.0) / 1e3);
    }
    state.counters["picture_ms"] = median(picture);
    state.counters["sharp_ms"] = median(sharp);
    state.counters["full_decode_ms"] = median(decode);
    state.counters["picture_per_decode"] = median(pictureRatio);
    state.counters["sharp_per_decode"] = median(sharpRatio);
}
BENCHMARK(BM_FirstFrame48MP)
    ->ArgNames({"fitted", "thumbnail", "running"})
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(7);

void BM_FullDecode48MP(benchmark::State& state) {
    const QString path = LargeJpeg::inFolder(folder().path(), 8000, 6000, detailed(false));
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

// A disc label's dozen lines of text: a title, a date and the tracks.
struct Line {
    QString text;
    double leftMm, topMm;
    int points;
};

const std::vector<Line>& discLines() {
    static const std::vector<Line> lines = [] {
        std::vector<Line> result{{QStringLiteral("夏のライブ 2024"), 30, 12, 24},
                                 {QStringLiteral("2024年8月12日 市民ホール"), 33, 24, 11}};
        for (int track = 1; track <= 10; ++track)
            result.push_back(Line{QStringLiteral("%1. トラック %1 Live Take").arg(track, 2),
                                  track <= 5 ? 12.0 : 70.0, 72.0 + ((track - 1) % 5) * 8, 10});
        return result;
    }();
    return lines;
}

// The photo's label with the dozen lines, for the page benchmarks.
QString discLabel(int width, int height, bool whole) {
    const QString path = folder().filePath(
        QStringLiteral("disc-%1x%2%3.gpc").arg(width).arg(height).arg(whole ? "-whole" : ""));
    if (!QFile::exists(path)) {
        LabelDocument label = placedPhoto(width, height, whole);
        for (const Line& line : discLines()) {
            TextItem item;
            item.Text = line.text;
            item.FontName = QStringLiteral("IPAGothic");
            item.Size = line.points;
            item.Left = float(line.leftMm);
            item.Top = float(line.topMm);
            ItemPlacement::measure(item, RealSizeViewPx);
            label.insertItem(label.itemCount(), item);
        }
        LabelFileStore::save(path, label, 0, photo(width, height));
    }
    return path;
}

// The same label for gLabels 3: a 122 mm disc label on A4 holding the photo placed as the
// document places it (the photo's natural size at 96 pixels per inch, or its shorter side filling
// the label), clipped to the disc like ours, and the same lines in the same font.
QString gLabelsLines() {
    QString objects;
    for (const Line& line : discLines())
        objects +=
            QStringLiteral(
                R"(    <Object-text x="%1mm" y="%2mm" w="0mm" h="0mm" justify="Left" valign="Top" auto_shrink="False" a0="1" a1="0" a2="0" a3="1" a4="0" a5="0">
      <Span color="0x000000ff" font_family="IPAGothic" font_size="%3" font_weight="Regular" font_italic="False" line_spacing="1">%4</Span>
    </Object-text>
)")
                .arg(line.leftMm)
                .arg(line.topMm)
                .arg(line.points)
                .arg(line.text.toHtmlEscaped());
    return objects;
}

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
%4  </Objects>
</Glabels-document>
)")
                   .arg(width * mmPerPx)
                   .arg(height * mmPerPx)
                   .arg(photo(width, height))
                   .arg(gLabelsLines())
                   .toUtf8());
    return path;
}

// gpctool render to PDF, timed per iteration; with gLabels 3's batch tool installed
// (scripts/install-deps bench), its PDF of the same label is made in the same iterations and the
// ratios of time and peak memory are reported.
void BM_GpctoolRenderPdf24MP(benchmark::State& state) {
    const bool whole = state.range(0) != 0;
    const QString label = discLabel(6000, 4000, whole);
    const QString pdf = folder().filePath(QStringLiteral("page.pdf"));
    // GPCTOOL names another build's tool, for figures from before a change.
    const QString tool = qEnvironmentVariable("GPCTOOL", QStringLiteral(GPCTOOL_PATH));
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
    state.counters["glabels_pdf_MB"] = QFile(gLabelsPdf).size() / 1048576.0;
    state.counters["size_ratio"] = double(QFile(pdf).size()) / double(QFile(gLabelsPdf).size());
}
// Arg 0: step 0 from the corner; 1: the whole photo.
BENCHMARK(BM_GpctoolRenderPdf24MP)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// gpctool render --view of the high-detail 48 MP photo: the corner as 背景を開く leaves it, the
// bottom-right corner (every row above it is read) and the whole photo, at two view sides; time and
// peak memory of the process. GPCTOOL names another build's tool, for figures from before a change.
void BM_GpctoolRenderView48MP(benchmark::State& state) {
    const int placement = int(state.range(0)), side = int(state.range(1));
    const QString path = folder().filePath(QStringLiteral("view-%1.gpc").arg(placement));
    if (!QFile::exists(path)) {
        LabelDocument label;
        label.BackWidth = label.BackHeight = float(LabelSideMm);
        if (placement == 1) {
            label.BackLeft = float((8000 - 461) * MmPerPx);
            label.BackTop = float((6000 - 461) * MmPerPx);
        } else if (placement == 2) {
            label.BackWidth = label.BackHeight = float(6000 * MmPerPx);
            label.BackLeft = float(1000 * MmPerPx);
        }
        LabelFileStore::save(path, label, 0,
                             LargeJpeg::inFolder(folder().path(), 8000, 6000, detailed(false)));
    }
    const QString tool = qEnvironmentVariable("GPCTOOL", QStringLiteral(GPCTOOL_PATH));
    const QString png = folder().filePath(QStringLiteral("view.png"));
    Measured total;
    for (auto _ : state) {
        const Measured run = runMeasured(tool, {QStringLiteral("render"), QStringLiteral("--view"),
                                                QString::number(side), path, png});
        state.SetIterationTime(run.ms / 1e3);
        total.peakMb = std::max(total.peakMb, run.peakMb);
    }
    state.counters["peak_MB"] = total.peakMb;
}
// Arguments: placement (0 the corner, 1 the bottom-right corner, 2 the whole photo), view side.
BENCHMARK(BM_GpctoolRenderView48MP)
    ->ArgNames({"placement", "side"})
    ->ArgsProduct({{0, 1, 2}, {461, 2000}})
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
    if (argc == 4 && qstrcmp(argv[1], "--first-frame") == 0) {
        QApplication app(argc, argv);
        return watchFirstFrames(qstrcmp(argv[2], "running") == 0, QString::fromLocal8Bit(argv[3]));
    }
    QApplication app(argc, argv);
    return BenchSupport::runBenchmarks(argc, argv);
}
