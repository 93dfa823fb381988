// Writing and reading a full document: 100 text items and a 20 MB picture, in memory through
// the codec and on disk through the store (atomic save, whole-file load); and the refusal of a
// large file of another kind.
#include "document/LabelFileCodec.h"
#include "document/LabelFileStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

constexpr qsizetype PictureBytes = 20 * 1024 * 1024;

LabelDocument hundredItems() {
    LabelDocument document;
    document.BackWidth = 122;
    document.BackHeight = 122;
    document.SelectedText = 42;
    document.TextItems.resize(MaxTextItems);
    for (int i = 0; i < MaxTextItems; ++i) {
        TextItem& item = document.item(i);
        item.Text = QStringLiteral(u"株式会社 髙橋① 項目 %1 ～ CD-R").arg(i);
        item.FontName = QStringLiteral("IPAGothic");
        item.Left = float(i) * 1.1f;
        item.Top = float(i) * 0.7f;
        item.Width = 40.5f;
        item.Height = 6.25f;
        item.Size = 12 + i % 30;
        item.Color = i % 16;
    }
    return document;
}

QByteArray picture() {
    QByteArray bytes(PictureBytes, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 2654435761u >> 24);
    return bytes;
}

void setBytes(benchmark::State& state, qsizetype fileBytes) {
    state.SetBytesProcessed(std::int64_t(state.iterations()) * fileBytes);
}

void BM_EncodeItemsOnly(benchmark::State& state) {
    const LabelDocument document = hundredItems();
    for (auto _ : state) {
        const LabelFileCodec::EncodeResult result = LabelFileCodec::encode(document, 0, {});
        benchmark::DoNotOptimize(result.bytes->constData());
    }
}

void BM_DecodeItemsOnly(benchmark::State& state) {
    const QByteArray bytes = *LabelFileCodec::encode(hundredItems(), 0, {}).bytes;
    for (auto _ : state) {
        const LabelFileCodec::DecodeResult result = LabelFileCodec::decode(bytes);
        benchmark::DoNotOptimize(result.file->document.TextItems);
    }
}

void BM_Encode(benchmark::State& state) {
    const LabelDocument document = hundredItems();
    const QByteArray pictureBytes = picture();
    qsizetype size = 0;
    for (auto _ : state) {
        const LabelFileCodec::EncodeResult result =
            LabelFileCodec::encode(document, 0, pictureBytes);
        size = result.bytes->size();
        benchmark::DoNotOptimize(result.bytes->constData());
    }
    setBytes(state, size);
}

void BM_Decode(benchmark::State& state) {
    const QByteArray bytes = *LabelFileCodec::encode(hundredItems(), 0, picture()).bytes;
    for (auto _ : state) {
        const LabelFileCodec::DecodeResult result = LabelFileCodec::decode(bytes);
        benchmark::DoNotOptimize(result.file->picture.constData());
    }
    setBytes(state, bytes.size());
}

void BM_SaveToFile(benchmark::State& state) {
    QTemporaryDir dir;
    const QString picturePath = dir.filePath(QStringLiteral("back.jpg"));
    QFile pictureFile(picturePath);
    if (!pictureFile.open(QIODevice::WriteOnly) || pictureFile.write(picture()) != PictureBytes) {
        state.SkipWithError("cannot write the picture file");
        return;
    }
    pictureFile.close();
    const LabelDocument document = hundredItems();
    const QString path = dir.filePath(QStringLiteral("label.gpc"));
    for (auto _ : state) {
        if (!LabelFileStore::save(path, document, 0, picturePath).ok) {
            state.SkipWithError("save failed");
            return;
        }
    }
    setBytes(state, QFile(path).size());
}

void BM_LoadFromFile(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("label.gpc"));
    QFile file(path);
    const QByteArray bytes = *LabelFileCodec::encode(hundredItems(), 0, picture()).bytes;
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        state.SkipWithError("cannot write the document file");
        return;
    }
    file.close();
    for (auto _ : state) {
        const LabelFileCodec::DecodeResult result = LabelFileStore::load(path);
        benchmark::DoNotOptimize(result.file->picture.constData());
    }
    setBytes(state, bytes.size());
}

// Open on a 1.5 GB file of another kind (sparse, so the disk is spared): refused after its first
// record. The peak resident memory is reported as a counter.
void BM_RefuseLargeForeignFile(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("movie.bin"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("not a label") != 11 ||
        !file.resize(qint64(1536) * 1024 * 1024)) {
        state.SkipWithError("cannot make the large file");
        return;
    }
    file.close();
    for (auto _ : state) {
        const LabelFileCodec::DecodeResult result = LabelFileStore::load(path);
        if (result.refusal != LabelFileCodec::Refusal::NotALabelFile) {
            state.SkipWithError("the large file was not refused as foreign");
            return;
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = double(usage.ru_maxrss) / 1024.0;
}

} // namespace

BENCHMARK(BM_RefuseLargeForeignFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EncodeItemsOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeItemsOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Encode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
