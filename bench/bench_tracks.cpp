// A folder of 100 tagged files (MP3, FLAC, Ogg Vorbis and M4A in turn, each with a title, an
// artist, an album and a track number): the reader alone, and the track list dialog from the
// folder's choice to its first row and to its whole list. The files are read from the page cache
// after the first run, as a folder just copied or played is.
#include "BenchSupport.h"
#include "platform/audio/TrackReader.h"
#include "support/AudioFiles.h"
#include "tracks/TrackListDialog.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int Files = 100;

struct Folder {
    QTemporaryDir dir;
    bool written = true;
    Folder() {
        using AudioFiles::Format;
        const Format formats[] = {Format::Mp3, Format::Flac, Format::OggVorbis, Format::M4a};
        for (int i = 0; i < Files; ++i) {
            const Format format = formats[i % 4];
            const QString name = QStringLiteral("%1 track.%2")
                                     .arg(i + 1, 3, 10, QChar(u'0'))
                                     .arg(AudioFiles::suffix(format));
            const AudioFiles::Tags tags{QStringLiteral("曲 %1").arg(i + 1),
                                        QStringLiteral("歌手"),
                                        QStringLiteral("アルバム"),
                                        {},
                                        QString::number(i + 1),
                                        {}};
            written =
                written && AudioFiles::write(QDir(dir.path()).filePath(name), format, 4, tags);
        }
    }
};

Folder& folder() {
    static Folder shared;
    return shared;
}

void readFolder(benchmark::State& state) {
    const QString path = folder().dir.path();
    for (auto _ : state) {
        if (TrackReader::read({path}).tracks.size() != std::size_t(Files))
            state.SkipWithError("not every file was read");
    }
}
BENCHMARK(readFolder)->Unit(benchmark::kMillisecond);

// From the folder's choice until the list shows its first row.
void dialogFirstRow(benchmark::State& state) {
    const QString path = folder().dir.path();
    BenchSupport::Platform platform;
    TrackListDialog dialog(platform, nullptr);
    dialog.prepare(MaxTextItems, BenchSupport::ViewSidePx);
    for (auto _ : state) {
        dialog.readSources({path});
        while (dialog.trackCount() == 0)
            QCoreApplication::processEvents();
        state.PauseTiming();
        dialog.stopReading();
        state.ResumeTiming();
    }
}
BENCHMARK(dialogFirstRow)->Unit(benchmark::kMillisecond);

// From the folder's choice until every row is listed, checked and previewed.
void dialogWholeFolder(benchmark::State& state) {
    const QString path = folder().dir.path();
    BenchSupport::Platform platform;
    TrackListDialog dialog(platform, nullptr);
    dialog.prepare(MaxTextItems, BenchSupport::ViewSidePx);
    QEventLoop loop;
    QObject::connect(&dialog, &TrackListDialog::readingFinished, &loop, &QEventLoop::quit);
    for (auto _ : state) {
        dialog.readSources({path});
        loop.exec();
    }
    if (dialog.trackCount() != Files)
        state.SkipWithError("not every file was listed");
}
BENCHMARK(dialogWholeFolder)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    BenchSupport::useOffscreenPlatform();
    QApplication app(argc, argv);
    if (!folder().written)
        return 1;
    return BenchSupport::runBenchmarks(argc, argv);
}
