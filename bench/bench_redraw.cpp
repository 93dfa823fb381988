// The label redraw that runs on every pointer move while the background is dragged, and opening
// a large photo as background. The view is 1000 × 1000 pixels with 100 text items; the photo is a
// 6000 × 4000 JPEG made here. Peak memory (VmHWM) is reported with the photo loaded.
// For a high-density screen run it with QT_SCALE_FACTOR=2: the view is then 1000 × 1000 logical
// pixels drawn at 2000 × 2000 device pixels (the "ratio" counter says which was measured).
#include "BenchSupport.h"
#include "platform/pictures/PictureLoader.h"
#include "shapes/ItemHits.h"
#include "shapes/ItemPlacement.h"
#include "shapes/ItemShape.h"
#include "support/PeakMemory.h"
#include "view/LabelRenderer.h"
#include "view/ScreenView.h"
#include "view/widgets/LabelView.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using BenchSupport::ViewSidePx;
// A photograph-like 6000 × 4000 JPEG: gradients, shapes and noise, quality 90.
const QString& photoPath() {
    static QTemporaryDir dir;
    static const QString path = [] {
        QImage image(6000, 4000, QImage::Format_RGB32);
        QRandomGenerator random(7);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int noise = int(random.bounded(24));
                line[x] =
                    qRgb((x / 24 + noise) & 255, (y / 16 + noise) & 255, ((x + y) / 40) & 255);
            }
        }
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 300; ++i) {
            painter.setBrush(QColor::fromHsv(int(random.bounded(360)), 180, 220));
            painter.drawEllipse(QPointF(random.bounded(6000), random.bounded(4000)),
                                20 + random.bounded(300), 20 + random.bounded(300));
        }
        painter.end();
        const QString file = dir.filePath(QStringLiteral("photo.jpg"));
        image.save(file, "JPEG", 90);
        return file;
    }();
    return path;
}

// 100 items over the label: Japanese and Latin text, sizes 8 to 36 points, all colours.
void fillItems(LabelDocument& document) {
    const QStringList texts{QStringLiteral("ディスクラベル"), QStringLiteral("Track 12"),
                            QStringLiteral("思い出の写真 2024"), QStringLiteral("Gyroplate")};
    document.TextItems.resize(MaxTextItems);
    for (int i = 0; i < MaxTextItems; ++i) {
        TextItem& item = document.item(i);
        item.Text = texts[i % texts.size()];
        item.FontName = QStringLiteral("IPAGothic");
        item.Size = 8 + (i * 7) % 29;
        item.Color = i % 16;
        item.Left = float((i * 37) % 110);
        item.Top = float((i * 53) % 115);
    }
}

// 100 items of 20 characters set along the disc, each on its own circle and angle, facing out in
// the upper half and in below; or set vertically in columns over the label.
void fillLaidOutItems(LabelDocument& document, TextLayoutKind kind) {
    const QStringList texts{QStringLiteral("ディスクラベルの曲目リスト夏の思い出"),
                            QStringLiteral("Summer Drive Mix 2026"),
                            QStringLiteral("思い出の写真 2024 Track 12")};
    document.TextItems.resize(MaxTextItems);
    for (int i = 0; i < MaxTextItems; ++i) {
        TextItem& item = document.item(i);
        item.Text = texts[i % texts.size()].left(20);
        item.FontName = QStringLiteral("IPAGothic");
        item.Size = 6 + (i * 5) % 10;
        item.Color = i % 16;
        item.layout.kind = kind;
        item.layout.radiusMm = float(22 + (i * 7) % 38);
        item.layout.angleDeg = float((i * 47) % 360 - 180);
        item.Left = float((i * 37) % 110);
        item.Top = float((i * 13) % 40);
        ItemPlacement::measure(item, RealSizeViewPx);
    }
}

// The kinds of layout the benchmarks compare: 0 straight, 1 along the disc, 2 vertical.
void fillItemsOfKind(LabelDocument& document, int kind) {
    if (kind == 0)
        fillItems(document);
    else
        fillLaidOutItems(document, kind == 1 ? TextLayoutKind::Arc : TextLayoutKind::Vertical);
}

const char* kindName(int kind) {
    return kind == 0 ? "straight" : kind == 1 ? "along the disc" : "vertical";
}

// The editor with the 100 items, and the picture dialog answered with the photo.
struct Window : BenchSupport::EditorWindow {
    explicit Window(int kind = 0) { fillItemsOfKind(window.document(), kind); }
    void openPhoto() {
        platform.answer = photoPath();
        window.mnuEditBack_Click();
    }
};

// Five runs of each redraw case; the aggregates include their median.
void redrawRuns(benchmark::internal::Benchmark* benchmark) {
    benchmark->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(5)->ReportAggregatesOnly();
}

// Dragging: every redraw shows the picture from a different corner. A photo kept compressed has
// had the room to drag decoded around the shown part, as between two pointer moves.
void dragRedraws(benchmark::State& state, Window& w) {
    w.window.RedrawLabel();
    BenchSupport::waitForDecodes();
    LabelDocument& document = w.window.document();
    int i = 0;
    for (auto _ : state) {
        document.BackLeft = float(10 + (i % 50));
        document.BackTop = float(5 + (i % 30));
        ++i;
        w.window.RedrawLabel();
    }
    state.counters["ratio"] = w.window.picDoc()->devicePixelRatioF();
}

void BM_RedrawLabel_NoPicture(benchmark::State& state) {
    Window w;
    dragRedraws(state, w);
}
BENCHMARK(BM_RedrawLabel_NoPicture)->Apply(redrawRuns);

void BM_RedrawLabel_Jpeg6000x4000(benchmark::State& state) {
    Window w;
    w.openPhoto();
    w.window.setScaleStep(int(state.range(0)));
    dragRedraws(state, w);
    state.counters["peak_MB"] = PeakMemory::megabytes();
}
// Step 0 (the picture enlarged 2.2 times on screen) and -100 (1.1 times).
BENCHMARK(BM_RedrawLabel_Jpeg6000x4000)->Arg(0)->Arg(-100)->Apply(redrawRuns);

// The same with the 100 items set along the disc (1) or vertically (2).
void BM_RedrawLabel_LaidOutItems_Jpeg6000x4000(benchmark::State& state) {
    Window w(int(state.range(0)));
    w.openPhoto();
    dragRedraws(state, w);
    state.SetLabel(kindName(int(state.range(0))));
}
BENCHMARK(BM_RedrawLabel_LaidOutItems_Jpeg6000x4000)->Arg(1)->Arg(2)->Apply(redrawRuns);

// Dragging one arc item among the 100: each pointer move lays out the dragged item where the
// pointer puts it and shows its frame there, painted; the release moves it and redraws the label
// (its text layer anew). Reports the longest move and the release.
void BM_DragArcItem(benchmark::State& state) {
    Window w(1);
    w.openPhoto();
    w.window.RedrawLabel();
    BenchSupport::waitForDecodes();
    LabelDocument& document = w.window.document();
    // A point on the first item's text: the middle of its first glyph's box.
    const QRectF band = ItemShape::of(document.item(0))->outlineMm().boundingRect();
    QPointF grab = band.center();
    for (int i = 0; i < 400 && ItemHits::lowestItemAt(document, float(grab.x()),
                                                       float(grab.y())) != 0; ++i)
        grab = band.topLeft() + QPointF(band.width() * (i % 20) / 20.0, band.height() * (i / 20) / 20.0);
    double longestMoveMs = 0, releaseMs = 0;
    int moves = 0;
    QElapsedTimer timer;
    for (auto _ : state) {
        w.window.picDoc_MouseDown(1, 0, float(grab.x()), float(grab.y()));
        for (int step = 1; step <= 60; ++step) {
            const double angle = step * 0.02;
            const QPointF to = DiscFrame::CentreMm +
                               QTransform().rotateRadians(angle).map(grab - DiscFrame::CentreMm);
            timer.start();
            w.window.picDoc_MouseMove(1, 0, float(to.x()), float(to.y()));
            w.window.picDoc()->repaint();
            longestMoveMs = std::max(longestMoveMs, timer.nsecsElapsed() / 1e6);
            ++moves;
        }
        timer.start();
        w.window.picDoc_MouseUp(1, 0, float(grab.x() + 1), float(grab.y()));
        w.window.picDoc()->repaint();
        releaseMs = std::max(releaseMs, timer.nsecsElapsed() / 1e6);
        w.window.history().undo();
    }
    state.counters["longest_move_ms"] = longestMoveMs;
    state.counters["release_ms"] = releaseMs;
    state.counters["moves"] = moves;
}
BENCHMARK(BM_DragArcItem)->Unit(benchmark::kMillisecond)->Iterations(5);

// Drawing the 100 items anew, as the view's text layer does after an item changed: straight or
// set along the disc.
void BM_DrawTextItems(benchmark::State& state) {
    LabelDocument document;
    fillItemsOfKind(document, int(state.range(0)));
    QImage image(ViewSidePx, ViewSidePx, QImage::Format_ARGB32_Premultiplied);
    for (const TextItem& item : document.TextItems)
        ItemShape::of(item); // laid out once, as the view has them
    for (auto _ : state) {
        image.fill(Qt::transparent);
        QPainter painter(&image);
        LabelRenderer::drawTextItems(painter, Geometry::screen(ViewSidePx), document);
    }
    state.SetLabel(kindName(int(state.range(0))));
}
BENCHMARK(BM_DrawTextItems)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Opening a document of 100 items with the photo, to its first frame: set along the disc or
// vertically against the same items straight.
void BM_OpenDocument(benchmark::State& state) {
    static QTemporaryDir dir;
    const int kind = int(state.range(0));
    const QString path = dir.filePath(QStringLiteral("kind%1.gpc").arg(kind));
    {
        Window w(kind);
        w.openPhoto();
        w.window.documentDialog().fileName = path;
        w.window.mnuFileSave_Click(0);
    }
    Window w;
    for (auto _ : state) {
        state.PauseTiming();
        ItemShape::forgetAll();
        state.ResumeTiming();
        w.window.openDocumentFile(path);
        w.window.RedrawLabel();
    }
    state.SetLabel(kindName(kind));
}
BENCHMARK(BM_OpenDocument)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(8);

// A 500 pixel view at step -100 shows the photo reduced: the view draws the area-averaged copy.
void BM_RedrawLabel_Jpeg6000x4000_ReducedView(benchmark::State& state) {
    Window w;
    w.window.picDoc()->resize(500, 500);
    w.openPhoto();
    w.window.setScaleStep(-100);
    dragRedraws(state, w);
}
BENCHMARK(BM_RedrawLabel_Jpeg6000x4000_ReducedView)->Apply(redrawRuns);

// The label drawing alone into a reused image, without the window's image handling.
void BM_DrawView_Jpeg6000x4000(benchmark::State& state) {
    LabelDocument document;
    fillItems(document);
    const Picture picture = *PictureLoader::loadFile(photoPath()).picture;
    document.BackWidth = document.BackHeight = 122;
    ViewCaches caches;
    QImage image(ViewSidePx, ViewSidePx, QImage::Format_RGB32);
    int i = 0;
    for (auto _ : state) {
        document.BackLeft = float(10 + (i % 50));
        document.BackTop = float(5 + (i++ % 30));
        QPainter painter(&image);
        ScreenView::draw(painter, ViewSidePx, document, picture, Qt::white, caches);
    }
}
BENCHMARK(BM_DrawView_Jpeg6000x4000)->Apply(redrawRuns);

// Opening: Qt's JPEG decoding alone, then the whole command (dialog answered at once, file read,
// checks, decoding, placement, first redraw).
void BM_OpenJpeg_DecodeOnly(benchmark::State& state) {
    for (auto _ : state) {
        QImageReader reader(photoPath());
        reader.setAllocationLimit(512);
        benchmark::DoNotOptimize(reader.read());
    }
}
BENCHMARK(BM_OpenJpeg_DecodeOnly)->Unit(benchmark::kMillisecond)->Iterations(8);

void BM_OpenJpeg_Command(benchmark::State& state) {
    Window w;
    for (auto _ : state) {
        w.window.setBackgroundPicture(Picture());
        w.openPhoto();
    }
    state.counters["peak_MB"] = PeakMemory::megabytes();
}
BENCHMARK(BM_OpenJpeg_Command)->Unit(benchmark::kMillisecond)->Iterations(8);

} // namespace

int main(int argc, char** argv) {
    BenchSupport::useOffscreenPlatform();
    QApplication app(argc, argv);
    photoPath();
    return BenchSupport::runBenchmarks(argc, argv);
}
