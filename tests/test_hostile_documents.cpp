// Hostile documents: files made from a valid document by patching bytes at known offsets (the
// writer refuses to make many of them). Each is either refused with the refusal message while the
// open document stays exactly as it was, or it opens and then draws, drags (real mouse events),
// zooms, centres, edits, prints to PDF and saves without a crash, a hang or a huge allocation.
#include "document/LabelFileCodec.h"
#include "document/LabelFileStore.h"
#include "editing/frmText.h"
#include "mainwindow/frmMain.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "view/DiscRangeCheck.h"
#include "view/widgets/LabelView.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <optional>
#include <sys/resource.h>
#include <tuple>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define GPC_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GPC_SANITIZED 1
#endif
#endif

namespace {

const QString NotALabel = QStringLiteral("Gyroplatecomposer のファイルではありません。");
const QString Damaged = QStringLiteral("ファイルが壊れているため開けませんでした。");
const QString PictureUnreadable = QStringLiteral("画像を読み込めませんでした。");
const QString SaveFailed = QStringLiteral("ラベルを保存できませんでした。");
const QString PrintFailed = QStringLiteral("印刷できませんでした。");
const QString BackgroundLimit = QStringLiteral("背景を画面外に出さないでください。");
const QString FontsNotInstalled = QStringLiteral("次のフォントはインストールされていないため、");
const QString EmptyTextRefusal = QStringLiteral("テキストが書かれていません。");
const QString ErrorTitle = QStringLiteral("エラー");

// Where the values sit in a file: record 3 the placement, 4 the count, 5 the selection, then
// one record per item. Item 0 of the base document has a 7-byte text.
constexpr qsizetype PlacementAt = 256;
constexpr qsizetype CountAt = 384;
constexpr qsizetype SelectionAt = 512;
constexpr qsizetype FirstItemAt = 640;
const QByteArray BaseText = "hostile";
constexpr qsizetype ItemNumbersAt = FirstItemAt + 2 + 7; // Left, Top, Width, Height, Size, Color
constexpr qsizetype ItemFontCountAt = ItemNumbersAt + 24;

enum class Outcome { Opens, Foreign, Refused, PictureRefused };

struct HostileCase {
    QString name;
    QByteArray bytes;
    Outcome outcome;
};

// ---- Bytes --------------------------------------------------------------------------------

void putI16(QByteArray& bytes, qsizetype at, std::int16_t value) {
    qToLittleEndian(value, bytes.data() + at);
}
void putI32(QByteArray& bytes, qsizetype at, std::int32_t value) {
    qToLittleEndian(value, bytes.data() + at);
}
void putF32(QByteArray& bytes, qsizetype at, float value) {
    qToLittleEndian(std::bit_cast<std::uint32_t>(value), bytes.data() + at);
}

using TestFiles::readAll;

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray imageBytes(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage stripes(QSize size, QColor a, QColor b) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(a);
    QPainter painter(&image);
    for (int x = 0; x < size.width(); x += 20)
        painter.fillRect(x, 0, 10, size.height(), b);
    return image;
}

quint32 crc32(QByteArrayView bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray pngChunk(const QByteArray& type, const QByteArray& data) {
    QByteArray chunk(4, '\0');
    qToBigEndian(quint32(data.size()), chunk.data());
    chunk += type + data;
    QByteArray crc(4, '\0');
    qToBigEndian(crc32(type + data), crc.data());
    return chunk + crc;
}

// A well-formed PNG start whose header claims 60000 × 60000 RGBA pixels (about 14 GB).
QByteArray hugePngHeader() {
    QByteArray header(13, '\0');
    qToBigEndian(quint32(60000), header.data());
    qToBigEndian(quint32(60000), header.data() + 4);
    header[8] = 8; // bits per channel
    header[9] = 6; // RGBA
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + pngChunk("IHDR", header) +
           pngChunk("IDAT", QByteArray("\x78\x9C\x63\x00\x00", 5)) + pngChunk("IEND", {});
}

// A complete JPEG whose frame header claims 65000 × 65000 pixels.
QByteArray hugeJpegHeader() {
    QByteArray jpeg = imageBytes(stripes(QSize(16, 16), Qt::red, Qt::blue), "JPEG");
    const qsizetype frame = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    if (frame < 0)
        return jpeg;
    qToBigEndian(quint16(65000), jpeg.data() + frame + 5);
    qToBigEndian(quint16(65000), jpeg.data() + frame + 7);
    return jpeg;
}

// A bitmap file header and info header for 60000 × 60000 × 24 bits, followed by a few pixels.
QByteArray hugeBmpHeader() {
    QByteArray bmp(54 + 64, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    qToLittleEndian(quint32(bmp.size()), bmp.data() + 2);
    qToLittleEndian(quint32(54), bmp.data() + 10);
    qToLittleEndian(quint32(40), bmp.data() + 14);
    qToLittleEndian(qint32(60000), bmp.data() + 18);
    qToLittleEndian(qint32(60000), bmp.data() + 22);
    qToLittleEndian(quint16(1), bmp.data() + 26);
    qToLittleEndian(quint16(24), bmp.data() + 28);
    return bmp;
}

QByteArray junk(qsizetype size) {
    QByteArray bytes(size, '\0');
    quint32 state = 0x5A17C0DEu;
    for (char& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = char(state >> 24);
    }
    bytes[0] = 'Z'; // no picture format starts so
    return bytes;
}

// ---- Documents ----------------------------------------------------------------------------

// The picture every hostile document starts from: 480 pixels (127 mm) square.
QByteArray basePicture() {
    static const QByteArray bytes =
        imageBytes(stripes(QSize(480, 480), Qt::darkCyan, Qt::yellow), "PNG");
    return bytes;
}

LabelDocument baseDocument() {
    LabelDocument document;
    document.TextItems.resize(std::size_t(2));
    document.item(0) =
        TextItem{QString::fromLatin1(BaseText), 20, 30, 40, 10, 24, 4, QStringLiteral("IPAGothic")};
    document.item(1) =
        TextItem{QStringLiteral("second"), 20, 90, 30, 10, 18, 2, QStringLiteral("DejaVu Sans")};
    document.SelectedText = -1;
    document.BackWidth = document.BackHeight = LabelSideMm;
    return document;
}

QByteArray encoded(const LabelDocument& document, std::int16_t scaleStep,
                   const QByteArray& picture) {
    const LabelFileCodec::EncodeResult result =
        LabelFileCodec::encode(document, scaleStep, picture);
    if (!result.bytes)
        qFatal("the base of a hostile document cannot be written: %s", qPrintable(result.reason));
    return *result.bytes;
}

QByteArray baseBytes() {
    return encoded(baseDocument(), 0, basePicture());
}

QByteArray withPicture(const QByteArray& picture) {
    return encoded(baseDocument(), 0, picture);
}

template <typename Patch> QByteArray patched(Patch patch) {
    QByteArray bytes = baseBytes();
    patch(bytes);
    return bytes;
}

QByteArray withItems(const std::vector<TextItem>& items) {
    LabelDocument document = baseDocument();
    document.TextItems.resize(std::size_t(int(items.size())));
    for (std::size_t i = 0; i < items.size(); ++i)
        document.TextItems[i] = items[i];
    return encoded(document, 0, basePicture());
}

// ---- The corpus ---------------------------------------------------------------------------

struct FloatValue {
    const char* name;
    float value;
};

const FloatValue HostileFloats[] = {
    {"NaN", std::numeric_limits<float>::quiet_NaN()},
    {"+inf", std::numeric_limits<float>::infinity()},
    {"-inf", -std::numeric_limits<float>::infinity()},
    {"1e30", 1e30f},
    {"-1e30", -1e30f},
};

void addFloatCases(std::vector<HostileCase>& cases) {
    const std::pair<const char*, qsizetype> fields[] = {
        {"BackLeft", PlacementAt},      {"BackTop", PlacementAt + 4},
        {"BackWidth", PlacementAt + 8}, {"BackHeight", PlacementAt + 12},
        {"Left", ItemNumbersAt},        {"Top", ItemNumbersAt + 4},
        {"Width", ItemNumbersAt + 8},   {"Height", ItemNumbersAt + 12}};
    for (const auto& [field, at] : fields) {
        for (const FloatValue& value : HostileFloats) {
            cases.push_back(
                {QStringLiteral("%1 %2").arg(QLatin1String(field), QLatin1String(value.name)),
                 patched([&](QByteArray& b) { putF32(b, at, value.value); }),
                 std::isfinite(value.value) ? Outcome::Opens : Outcome::Refused});
        }
    }
    const float max = std::numeric_limits<float>::max();
    const float denormal = std::numeric_limits<float>::denorm_min();
    const std::tuple<const char*, qsizetype, float> extra[] = {
        {"BackWidth 0", PlacementAt + 8, 0.0f},
        {"BackHeight -5", PlacementAt + 12, -5.0f},
        {"BackWidth float max", PlacementAt + 8, max},
        {"BackWidth denormal", PlacementAt + 8, denormal},
        {"BackLeft -0", PlacementAt, -0.0f},
        {"Width 0", ItemNumbersAt + 8, 0.0f},
        {"Height -5", ItemNumbersAt + 12, -5.0f},
        {"Left float max", ItemNumbersAt, max},
        {"Top -float max", ItemNumbersAt + 4, -max},
        {"Width float max", ItemNumbersAt + 8, max}};
    for (const auto& [name, at, value] : extra)
        cases.push_back({QLatin1String(name), patched([&](QByteArray& b) { putF32(b, at, value); }),
                         Outcome::Opens});
    // A NaN with the sign and every payload bit set.
    cases.push_back({QStringLiteral("BackLeft NaN all bits"),
                     patched([](QByteArray& b) { putI32(b, PlacementAt, -1); }), Outcome::Refused});
    cases.push_back({QStringLiteral("every float 1e30"), patched([](QByteArray& b) {
                         for (int i = 0; i < 4; ++i) {
                             putF32(b, PlacementAt + 4 * i, 1e30f);
                             putF32(b, ItemNumbersAt + 4 * i, 1e30f);
                         }
                     }),
                     Outcome::Opens});
    cases.push_back({QStringLiteral("every float -1e30"), patched([](QByteArray& b) {
                         for (int i = 0; i < 4; ++i) {
                             putF32(b, PlacementAt + 4 * i, -1e30f);
                             putF32(b, ItemNumbersAt + 4 * i, -1e30f);
                         }
                     }),
                     Outcome::Opens});
}

void addIntegerCases(std::vector<HostileCase>& cases) {
    const std::int32_t min = std::numeric_limits<std::int32_t>::min();
    const std::int32_t max = std::numeric_limits<std::int32_t>::max();
    for (const std::int32_t size : {0, -5, 1000, max, min})
        cases.push_back({QStringLiteral("Size %1").arg(size),
                         patched([&](QByteArray& b) { putI32(b, ItemNumbersAt + 16, size); }),
                         Outcome::Opens});
    for (const std::int32_t color : {-1, 16, 99, max, min})
        cases.push_back({QStringLiteral("Color %1").arg(color),
                         patched([&](QByteArray& b) { putI32(b, ItemNumbersAt + 20, color); }),
                         Outcome::Opens});
    // The base has two items.
    for (const std::int32_t selected : {-1, 1, 2, -2, max, min})
        cases.push_back({QStringLiteral("SelectedText %1").arg(selected),
                         patched([&](QByteArray& b) { putI32(b, SelectionAt, selected); }),
                         selected == -1 || selected == 1 ? Outcome::Opens : Outcome::Refused});
    // With 0 items the picture size is read from item 0's record and runs past the file.
    for (const std::int32_t count : {-1, 0, 101, max, min})
        cases.push_back({QStringLiteral("TextCount %1").arg(count),
                         patched([&](QByteArray& b) { putI32(b, CountAt, count); }),
                         Outcome::Refused});
    // With 100 the zero records after the two items read as empty items, and the picture size
    // record of a full document is zero too: no picture.
    cases.push_back({QStringLiteral("TextCount 100 over empty records"), patched([](QByteArray& b) {
                         putI32(b, CountAt, MaxTextItems);
                         putI32(b, FirstItemAt + 2 * 128, 0);
                     }),
                     Outcome::Opens});
    for (const int step : {50, -100, 101, -101, 32767, -32768})
        cases.push_back({QStringLiteral("scale step %1").arg(step),
                         patched([&](QByteArray& b) { putI16(b, 128, std::int16_t(step)); }),
                         step >= -100 && step <= 100 ? Outcome::Opens : Outcome::Refused});
}

void addPlacementShapeCases(std::vector<HostileCase>& cases) {
    const std::pair<float, float> shapes[] = {
        {122, 10}, {1, 500}, {1e30f, 1e-30f}, {1e-30f, 1e30f}};
    for (const auto& [width, height] : shapes)
        cases.push_back({QStringLiteral("BackWidth %1 BackHeight %2").arg(width).arg(height),
                         patched([&](QByteArray& b) {
                             putF32(b, PlacementAt + 8, width);
                             putF32(b, PlacementAt + 12, height);
                         }),
                         Outcome::Opens});
}

void addStringCases(std::vector<HostileCase>& cases) {
    const std::pair<const char*, qsizetype> counts[] = {
        {"identification", 0}, {"text", FirstItemAt}, {"font name", ItemFontCountAt}};
    for (const auto& [name, at] : counts) {
        for (const int count : {126, 127, -1, 32767})
            cases.push_back({QStringLiteral("%1 count %2").arg(QLatin1String(name)).arg(count),
                             patched([&](QByteArray& b) { putI16(b, at, std::int16_t(count)); }),
                             at == 0 ? Outcome::Foreign : Outcome::Refused});
    }
    // 126 bytes fill record 1 exactly; they are read, and are not the identification.
    cases.push_back({QStringLiteral("identification of 126 bytes"), patched([](QByteArray& b) {
                         putI16(b, 0, 126);
                         std::fill(b.begin() + 2, b.begin() + 128, 'G');
                     }),
                     Outcome::Foreign});
    cases.push_back({QStringLiteral("text not code page 932"), patched([](QByteArray& b) {
                         b[FirstItemAt + 2] = '\x81';
                         b[FirstItemAt + 3] = ' ';
                     }),
                     Outcome::Refused});
    // A lead byte as the font name's last byte: its second byte is missing.
    cases.push_back({QStringLiteral("font name not code page 932"),
                     patched([](QByteArray& b) { b[ItemFontCountAt + 2 + 8] = '\x81'; }),
                     Outcome::Refused});

    const QString fifty = QString(50, QChar(0x3042)); // 100 bytes in code page 932
    const TextItem full{fifty, 10, 10, 50, 8, 24, 1, QString()};
    const TextItem halves{QString(50, u'W'), 10, 60, 50, 8, 24, 1, QString(50, u'F')};
    cases.push_back(
        {QStringLiteral("text of 100 bytes, empty font name"), withItems({full}), Outcome::Opens});
    cases.push_back({QStringLiteral("text and font name of 50 bytes each"), withItems({halves}),
                     Outcome::Opens});
    cases.push_back(
        {QStringLiteral("empty text"),
         withItems({TextItem{QString(), 10, 10, 0, 0, 24, 0, QStringLiteral("IPAGothic")}}),
         Outcome::Opens});
    const std::pair<const char*, QString> fonts[] = {
        {"latin", QStringLiteral("NoSuchFont")},
        {"japanese", QStringLiteral("存在しない書体")},
        {"of 94 bytes", QString(94, u'Z')},
        {"of control characters", QStringLiteral("\t\n\r")}};
    for (const auto& [name, font] : fonts)
        cases.push_back({QStringLiteral("font name no font has, %1").arg(QLatin1String(name)),
                         withItems({TextItem{QStringLiteral("ab"), 10, 10, 20, 8, 40, 3, font}}),
                         Outcome::Opens});
}

void addPictureCases(std::vector<HostileCase>& cases) {
    // The picture size record follows the two items: record 8.
    constexpr qsizetype PictureSizeAt = FirstItemAt + 2 * 128;
    cases.push_back({QStringLiteral("picture size -1"),
                     patched([](QByteArray& b) { putI32(b, PictureSizeAt, -1); }),
                     Outcome::Refused});
    cases.push_back({QStringLiteral("picture size past the file"), patched([](QByteArray& b) {
                         putI32(b, PictureSizeAt, std::numeric_limits<std::int32_t>::max());
                     }),
                     Outcome::Refused});
    cases.push_back({QStringLiteral("picture of 2 bytes"),
                     patched([](QByteArray& b) { putI32(b, PictureSizeAt, 1); }),
                     Outcome::PictureRefused});
    const QByteArray jpeg = imageBytes(stripes(QSize(64, 64), Qt::red, Qt::blue), "JPEG");
    const std::pair<const char*, QByteArray> pictures[] = {
        {"picture junk", junk(4096)},
        {"picture truncated JPEG", jpeg.left(jpeg.size() / 2)},
        {"picture PNG header 60000 x 60000", hugePngHeader()},
        {"picture JPEG header 65000 x 65000", hugeJpegHeader()},
        {"picture BMP header 60000 x 60000", hugeBmpHeader()},
        {"picture truncated PNG", basePicture().left(basePicture().size() / 3)}};
    for (const auto& [name, picture] : pictures)
        cases.push_back({QLatin1String(name), withPicture(picture), Outcome::PictureRefused});
}

void addTruncationCases(std::vector<HostileCase>& cases) {
    const QByteArray base = baseBytes();
    for (const qsizetype length :
         {qsizetype(0), qsizetype(20), qsizetype(300), qsizetype(700), qsizetype(900),
          LabelFileCodec::PictureOffset + 100, base.size() - 1})
        cases.push_back({QStringLiteral("cut at %1 bytes").arg(length), base.left(length),
                         length == 0 ? Outcome::Foreign : Outcome::Refused});
}

// Every slot in use, each item as large and as far out as a file can make it.
void addCrowdedCases(std::vector<HostileCase>& cases) {
    std::vector<TextItem> largest, farOff;
    for (int i = 0; i < MaxTextItems; ++i) {
        largest.push_back(TextItem{
            QString(60, QChar(u'W' + i % 3)), float(i % 10) * 12, float(i / 10) * 12, 1e30f, 1e30f,
            std::numeric_limits<std::int32_t>::max(), 99, QStringLiteral("NoSuchFont%1").arg(i)});
        const float sign = i % 2 ? 1.0f : -1.0f;
        farOff.push_back(TextItem{QStringLiteral("far %1").arg(i), sign * 1e30f, -sign * 3e38f, 40,
                                  10, 1000 + i, -i, QStringLiteral("IPAMincho")});
    }
    cases.push_back(
        {QStringLiteral("100 items at the largest size"), withItems(largest), Outcome::Opens});
    cases.push_back(
        {QStringLiteral("100 items far off the label"), withItems(farOff), Outcome::Opens});
}

std::vector<HostileCase> hostileCorpus() {
    std::vector<HostileCase> cases;
    cases.push_back({QStringLiteral("unchanged"), baseBytes(), Outcome::Opens});
    addFloatCases(cases);
    addIntegerCases(cases);
    addPlacementShapeCases(cases);
    addStringCases(cases);
    addPictureCases(cases);
    addTruncationCases(cases);
    addCrowdedCases(cases);
    return cases;
}

// ---- The editor ---------------------------------------------------------------------------

// What must not change when a file is refused.
struct Snapshot {
    std::vector<TextItem> items;
    int selectedText;
    bool labelChanged;
    float back[4];
    QString documentPath;
    QString backPath;
    QByteArray backBytes;
    qint64 pictureKey;
    int scaleStep;

    static Snapshot of(frmMain& window) {
        const LabelDocument& d = window.document();
        return Snapshot{d.TextItems,
                        d.SelectedText,
                        d.LabelChanged,
                        {d.BackLeft, d.BackTop, d.BackWidth, d.BackHeight},
                        window.documentDialog().fileName,
                        window.backgroundDialog().fileName,
                        readAll(window.backgroundDialog().fileName),
                        window.backgroundPicture().image().cacheKey(),
                        window.scaleStep()};
    }
    bool operator==(const Snapshot& other) const {
        return items == other.items && selectedText == other.selectedText &&
               labelChanged == other.labelChanged &&
               std::equal(std::begin(back), std::end(back), std::begin(other.back)) &&
               documentPath == other.documentPath && backPath == other.backPath &&
               backBytes == other.backBytes && pictureKey == other.pictureKey &&
               scaleStep == other.scaleStep;
    }
};

struct Editor {
    ScriptedPlatform platform;
    frmMain window{platform};

    Editor() {
        window.resize(560, 500);
        window.show();
    }
    LabelView* view() const { return window.picDoc(); }
    LabelDocument& document() { return window.document(); }

    QStringList messagesSince(qsizetype first) const {
        QStringList texts;
        for (qsizetype i = first; i < platform.messages.size(); ++i)
            texts << platform.messages[i].text;
        return texts;
    }
};

// Strictly inside the item's box, with the sums in single precision, as the editor tests it.
bool hits(const TextItem& item, QPointF mm) {
    const float x = float(mm.x()), y = float(mm.y());
    return item.Left < x && x < item.Left + item.Width && item.Top < y &&
           y < item.Top + item.Height;
}

int firstItemHit(const LabelDocument& document, QPointF mm) {
    for (int i = 0; i < document.itemCount(); ++i) {
        if (hits(document.item(i), mm))
            return i;
    }
    return -1;
}

// A pixel of the view (away from its edges, so a drag stays inside) whose point hits `wanted`:
// an item index, or -1 for empty label space.
std::optional<QPoint> pixelHitting(Editor& editor, int wanted) {
    const int side = editor.view()->width();
    for (int y = side / 8; y < side * 7 / 8; y += 7) {
        for (int x = side / 8; x < side * 7 / 8; x += 7) {
            if (firstItemHit(editor.document(), editor.view()->toMillimetres(QPointF(x, y))) ==
                wanted)
                return QPoint(x, y);
        }
    }
    return std::nullopt;
}

bool everyNumberFinite(const LabelDocument& document) {
    bool finite = std::isfinite(document.BackLeft) && std::isfinite(document.BackTop) &&
                  std::isfinite(document.BackWidth) && std::isfinite(document.BackHeight);
    for (int i = 0; i < document.itemCount(); ++i) {
        const TextItem& item = document.item(i);
        finite = finite && std::isfinite(item.Left) && std::isfinite(item.Top) &&
                 std::isfinite(item.Width) && std::isfinite(item.Height);
    }
    return finite;
}

void drag(Editor& editor, QPoint from, QPoint by) {
    QTest::mousePress(editor.view(), Qt::LeftButton, {}, from);
    QTest::mouseMove(editor.view(), from + by / 2);
    QTest::mouseMove(editor.view(), from + by);
    QTest::mouseRelease(editor.view(), Qt::LeftButton, {}, from + by);
}

// A huge allocation attempt shows up as Qt's out-of-memory warning (the address space is limited
// below, so it cannot quietly succeed).
int outOfMemoryWarnings = 0;
QtMessageHandler previousHandler = nullptr;

void watchForOutOfMemory(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QLatin1String("out of memory"), Qt::CaseInsensitive))
        ++outOfMemoryWarnings;
    previousHandler(type, context, text);
}

} // namespace

class HostileDocumentsTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    QString path(const QString& name) const { return folder_.filePath(name); }
    int opened_ = 0;
    int refused_ = 0;

    // The document that is open when the hostile one comes: one item and its own picture.
    void openCurrent(Editor& editor) {
        QVERIFY(editor.window.openDocumentFile(path(QStringLiteral("current.gpc"))));
        QCOMPARE(editor.document().itemCount(), 1);
        QVERIFY(!editor.window.backgroundPicture().isEmpty());
    }

    void checkRefused(Editor& editor, const Snapshot& before, qsizetype firstMessage,
                      const QString& message) {
        QCOMPARE(editor.messagesSince(firstMessage), QStringList{message});
        QCOMPARE(editor.platform.messages.last().title, ErrorTitle);
        QVERIFY(Snapshot::of(editor.window) == before);
        // The view still shows the current document.
        QCOMPARE(editor.window.backgroundPicture().image().cacheKey(), before.pictureKey);
        ++refused_;
    }

    void dragAnItem(Editor& editor) {
        std::optional<QPoint> at = pixelHitting(editor, 0);
        for (int i = 1; !at && i < editor.document().itemCount(); ++i)
            at = pixelHitting(editor, i);
        if (!at)
            return; // nothing of any item lies on the label
        const int expected = firstItemHit(editor.document(), editor.view()->toMillimetres(*at));
        drag(editor, *at, QPoint(15, 9));
        QCOMPARE(editor.document().SelectedText, expected);
        QVERIFY(!editor.view()->showsMovePointer());
    }

    void dragTheBackground(Editor& editor) {
        const std::optional<QPoint> at = pixelHitting(editor, -1);
        if (!at)
            return; // items cover the whole label
        drag(editor, *at, QPoint(-17, -11));
        QCOMPARE(editor.document().SelectedText, -1);
        QVERIFY(!editor.view()->showsMovePointer());
    }

    void zoom(Editor& editor) {
        for (const int step : {100, -100, 0}) {
            editor.window.setScaleStep(step);
            QVERIFY(!editor.view()->image().isNull());
        }
    }

    // The edit dialog opened on the hostile item and confirmed with OK.
    void edit(Editor& editor) {
        LabelDocument& document = editor.document();
        if (document.itemCount() == 0)
            return;
        document.SelectedText = 0;
        const qsizetype firstMessage = editor.platform.messages.size();
        bool shown = false;
        editor.platform.modalActions.push_back([&shown](QDialog* dialog) {
            auto* text = qobject_cast<frmText*>(dialog);
            QVERIFY(text);
            shown = true;
            text->cmdOk()->click();
        });
        editor.window.mnuEditTextEdit_Click();
        QVERIFY(shown);
        const TextItem& item = document.item(0);
        if (item.Text.isEmpty()) {
            QCOMPARE(editor.messagesSince(firstMessage), QStringList{EmptyTextRefusal});
            return;
        }
        QVERIFY(editor.messagesSince(firstMessage).isEmpty());
        QVERIFY(document.LabelChanged);
        QVERIFY(item.Size >= 5);
        QVERIFY(std::isfinite(item.Width) && item.Width >= 0);
        QVERIFY(std::isfinite(item.Height) && item.Height >= 0);
    }

    // Both centring commands on the hostile item.
    void centre(Editor& editor) {
        LabelDocument& document = editor.document();
        if (document.itemCount() == 0)
            return;
        document.SelectedText = 0;
        editor.window.mnuEditTextCenterItem_Click(0);
        editor.window.mnuEditTextCenterItem_Click(1);
        QVERIFY(std::isfinite(document.item(0).Left) && std::isfinite(document.item(0).Top));
    }

    void printToPdf(Editor& editor) {
        const QString pdf = path(QStringLiteral("hostile.pdf"));
        QFile::remove(pdf);
        const qsizetype firstMessage = editor.platform.messages.size();
        editor.platform.printAnswers.push_back([pdf](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
        // Text off the disc's ring is asked about first; the answer here is to print anyway.
        const bool asks = !DiscRangeCheck::check(editor.document()).empty();
        if (asks)
            editor.platform.messageAnswers.push_back(MessageAnswer::Yes);
        editor.window.mnuFilePrint_Click();
        QCOMPARE(editor.platform.printDialogsShown, 1);
        QCOMPARE(editor.messagesSince(firstMessage),
                 asks ? QStringList{QStringLiteral("ディスクの印刷範囲からはみ出している文字があります。"
                                                   "このまま印刷しますか？")}
                      : QStringList());
        QVERIFY(readAll(pdf).startsWith("%PDF"));
    }

    // Save As to a new path: the file is written and reads back as the document in the window,
    // or the save is refused with its message and nothing is written.
    void saveAs(Editor& editor) {
        const QString target = path(QStringLiteral("saved.gpc"));
        QFile::remove(target);
        const qsizetype firstMessage = editor.platform.messages.size();
        editor.platform.fileAnswers.push_back(target);
        editor.window.mnuFileSave_Click(1);
        const QStringList messages = editor.messagesSince(firstMessage);
        if (!messages.isEmpty()) {
            QCOMPARE(messages.size(), 1);
            QVERIFY2(messages[0].startsWith(SaveFailed + u'\n'), qPrintable(messages[0]));
            QVERIFY(!QFile::exists(target));
            return;
        }
        QVERIFY(!editor.document().LabelChanged);
        const LabelFileCodec::DecodeResult reread = LabelFileStore::load(target);
        QVERIFY2(reread.file, qPrintable(reread.reason));
        const LabelDocument& saved = reread.file->document;
        QCOMPARE(saved.itemCount(), editor.document().itemCount());
        for (int i = 0; i < saved.itemCount(); ++i)
            QVERIFY(saved.item(i) == editor.document().item(i));
        QCOMPARE(reread.file->picture, readAll(editor.window.backgroundDialog().fileName));
    }

private slots:
    void initTestCase() {
        QVERIFY(folder_.isValid());
        LabelDocument current;
        current.TextItems.resize(std::size_t(1));
        current.item(0) =
            TextItem{QStringLiteral("current"), 30, 50, 30, 8, 20, 1, QStringLiteral("IPAGothic")};
        current.SelectedText = 0;
        current.BackLeft = 3;
        current.BackTop = 4;
        current.BackWidth = current.BackHeight = 61;
        const QByteArray picture =
            imageBytes(stripes(QSize(200, 150), Qt::darkGreen, Qt::white), "PNG");
        QVERIFY(writeAll(path(QStringLiteral("current.gpc")), encoded(current, 0, picture)));
        previousHandler = qInstallMessageHandler(watchForOutOfMemory);
    }

    void cleanupTestCase() {
        qInstallMessageHandler(previousHandler);
        qInfo("hostile documents tried: %d (%d refused, %d opened and used)", opened_ + refused_,
              refused_, opened_);
        QCOMPARE(outOfMemoryWarnings, 0);
#ifndef GPC_SANITIZED
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        qInfo("peak resident memory: %ld MB", usage.ru_maxrss / 1024);
        QVERIFY(usage.ru_maxrss < 1024L * 1024); // kilobytes
#endif
    }

    void hostileDocument_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("outcome");
        const std::vector<HostileCase> corpus = hostileCorpus();
        QVERIFY(corpus.size() >= 100);
        for (const HostileCase& hostile : corpus)
            QTest::newRow(qPrintable(hostile.name)) << hostile.bytes << int(hostile.outcome);
    }

    void hostileDocument() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, outcome);
        Editor editor;
        openCurrent(editor);
        const Snapshot before = Snapshot::of(editor.window);
        const QString file = path(QStringLiteral("hostile.gpc"));
        QVERIFY(writeAll(file, bytes));

        const qsizetype firstMessage = editor.platform.messages.size();
        const bool opened = editor.window.openDocumentFile(file);
        if (Outcome(outcome) != Outcome::Opens) {
            QVERIFY(!opened);
            const QString expected = Outcome(outcome) == Outcome::Foreign   ? NotALabel
                                     : Outcome(outcome) == Outcome::Refused ? Damaged
                                                                            : PictureUnreadable;
            checkRefused(editor, before, firstMessage, expected);
            return;
        }
        QVERIFY2(opened, qPrintable(editor.messagesSince(firstMessage).join(u' ')));
        // A shown part that lies off the picture is put back to its corner, with the message; a
        // font no one has is named, with the one drawn instead.
        for (const QString& message : editor.messagesSince(firstMessage))
            QVERIFY2(message == BackgroundLimit || message.startsWith(FontsNotInstalled),
                     qPrintable(message));
        QCOMPARE(editor.window.documentDialog().fileName, file);
        ++opened_;

        editor.window.RedrawLabel();
        QVERIFY(!editor.view()->image().isNull());
        dragAnItem(editor);
        dragTheBackground(editor);
        zoom(editor);
        QVERIFY(everyNumberFinite(editor.document()));
        centre(editor);
        edit(editor);
        printToPdf(editor);
        saveAs(editor);
        QVERIFY2(editor.platform.unexpected.isEmpty(),
                 qPrintable(editor.platform.unexpected.join(u' ')));
        editor.document().LabelChanged = false;
    }
};

int main(int argc, char** argv) {
#ifndef GPC_SANITIZED
    // A multi-gigabyte allocation fails instead of quietly reserving the memory.
    const rlimit limit{rlim_t(6) << 30, rlim_t(6) << 30};
    setrlimit(RLIMIT_AS, &limit);
#endif
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    HostileDocumentsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_hostile_documents.moc"
