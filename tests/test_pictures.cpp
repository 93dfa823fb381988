// The picture loader: every format of the picture dialog with its natural size, run-length
// bitmaps pixel by pixel, Windows and enhanced metafiles drawn from bytes built here, and damaged
// or hostile files of every kind refused.

#include "platform/pictures/EmfLoader.h"
#include "platform/pictures/EmfSanitizer.h"
#include "platform/pictures/PictureLoader.h"
#include "platform/pictures/WmfPlayer.h"
#include "support/MetafileBytes.h"
#include "text/Cp932.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A packed 24-bit bottom-up DIB of `colours` given top row first.
QByteArray packedDib(int width, int height, const QList<QRgb>& colours) {
    Bytes dib;
    const int stride = ((width * 24 + 31) / 32) * 4;
    dib.u32(40).u32(width).u32(height).u16(1).u16(24).u32(0).u32(stride * height);
    dib.u32(3780).u32(3780).u32(0).u32(0);
    for (int row = height - 1; row >= 0; --row) {
        Bytes line;
        for (int x = 0; x < width; ++x) {
            const QRgb c = colours[row * width + x];
            line.u8(qBlue(c)).u8(qGreen(c)).u8(qRed(c));
        }
        line.pad(4);
        dib.raw(line.data());
    }
    return dib.data();
}

QByteArray cp932(const QString& text) {
    return *Cp932::encode(text).bytes;
}

// ---- An enhanced metafile
// -------------------------------------------------------------------------

class EmfBuilder {
public:
    // Frame in hundredths of a millimetre; the reference device: `devicePx` pixels over
    // `deviceMm` millimetres.
    EmfBuilder(QRect frameHmm, QSize devicePx, QSize deviceMm, int handles = 8)
        : frame_(frameHmm), devicePx_(devicePx), deviceMm_(deviceMm), handles_(handles) {}

    EmfBuilder& record(quint32 type, const QList<quint32>& fields, QByteArrayView tail = {}) {
        Bytes r;
        for (quint32 f : fields)
            r.u32(f);
        r.raw(tail).pad(4);
        records_.u32(type).u32(quint32(8 + r.size())).raw(r.data());
        ++count_;
        return *this;
    }
    static quint32 ref(QRgb c) { return quint32(qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16)); }
    EmfBuilder& brush(int handle, QRgb c) { return record(39, {quint32(handle), 0, ref(c), 0}); }
    EmfBuilder& pen(int handle, int style, QRgb c) {
        return record(38, {quint32(handle), quint32(style), 1, 0, ref(c)});
    }
    EmfBuilder& select(quint32 handle) { return record(37, {handle}); }
    EmfBuilder& rect(quint32 type, QRect r) {
        return record(type, {quint32(r.left()), quint32(r.top()), quint32(r.right() + 1),
                             quint32(r.bottom() + 1)});
    }
    EmfBuilder& font(int handle, int height, int charset, const QString& face) {
        Bytes f;
        f.u32(quint32(handle)).u32(quint32(height)).u32(0).u32(0).u32(0).u32(400);
        f.u8(0).u8(0).u8(0).u8(charset).u8(0).u8(0).u8(4).u8(0);
        QByteArray name(64, '\0');
        for (int i = 0; i < face.size() && i < 31; ++i) {
            name[2 * i] = char(face[i].unicode() & 0xFF);
            name[2 * i + 1] = char(face[i].unicode() >> 8);
        }
        f.raw(name);
        return record(82, {}, f.data());
    }
    EmfBuilder& textOutW(int x, int y, const QString& text, int advance, quint32 options = 0) {
        const quint32 n = quint32(text.size());
        const quint32 stringAt = 76, dxAt = stringAt + ((n * 2 + 3) / 4) * 4;
        Bytes t;
        t.u32(0).u32(0).u32(0x7FFFFFFF).u32(0x7FFFFFFF); // bounds
        t.u32(1).u32(0).u32(0);                          // GM_COMPATIBLE, scales
        t.u32(quint32(x)).u32(quint32(y)).u32(n).u32(stringAt).u32(options);
        t.u32(0).u32(0).u32(0).u32(0).u32(dxAt);
        for (QChar c : text)
            t.u16(c.unicode());
        t.pad(4);
        for (quint32 i = 0; i < n; ++i)
            t.u32(quint32(advance));
        return record(84, {}, t.data());
    }
    EmfBuilder& stretchDiBits(QRect dest, int srcWidth, int srcHeight, const QByteArray& dib) {
        const quint32 infoAt = 80, infoBytes = 40, bitsAt = infoAt + infoBytes;
        Bytes r;
        r.u32(0).u32(0).u32(0).u32(0);
        r.u32(quint32(dest.left())).u32(quint32(dest.top())).u32(0).u32(0);
        r.u32(quint32(srcWidth)).u32(quint32(srcHeight));
        r.u32(infoAt).u32(infoBytes).u32(bitsAt).u32(quint32(dib.size() - 40));
        r.u32(0).u32(0x00CC0020).u32(quint32(dest.width())).u32(quint32(dest.height()));
        r.raw(dib);
        return record(81, {}, r.data());
    }

    QByteArray build(bool withEof = true) const {
        Bytes body = records_;
        if (withEof)
            body.u32(14).u32(20).u32(0).u32(16).u32(20);
        Bytes h;
        h.u32(1).u32(88);
        const QRect bounds(0, 0, frame_.width() * devicePx_.width() / (deviceMm_.width() * 100 + 1),
                           frame_.height() * devicePx_.height() / (deviceMm_.height() * 100 + 1));
        h.u32(quint32(bounds.left())).u32(quint32(bounds.top()));
        h.u32(quint32(bounds.right())).u32(quint32(bounds.bottom()));
        h.u32(quint32(frame_.left())).u32(quint32(frame_.top()));
        h.u32(quint32(frame_.left() + frame_.width())).u32(quint32(frame_.top() + frame_.height()));
        h.u32(0x464D4520).u32(0x10000).u32(quint32(88 + body.size())).u32(quint32(count_ + 2));
        h.u16(handles_).u16(0).u32(0).u32(0).u32(0);
        h.u32(quint32(devicePx_.width())).u32(quint32(devicePx_.height()));
        h.u32(quint32(deviceMm_.width())).u32(quint32(deviceMm_.height()));
        h.raw(body.data());
        return h.data();
    }

private:
    QRect frame_;
    QSize devicePx_, deviceMm_;
    int handles_;
    int count_ = 0;
    Bytes records_;
};

// ---- Bitmap files -----------------------------------------------------------------------------

// 4 × 2 pixels with a palette of four colours, as a .bmp with 8 or 4 bits and run-length data.
QByteArray rleBitmap(int bits, QByteArrayView data, int width = 6, int height = 3) {
    Bytes palette;
    for (QRgb c : {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)})
        palette.u8(qBlue(c)).u8(qGreen(c)).u8(qRed(c)).u8(0);
    Bytes file;
    const int offset = 14 + 40 + int(palette.size());
    file.raw("BM").u32(quint32(offset + data.size())).u32(0).u32(quint32(offset));
    file.u32(40).u32(width).u32(height).u16(1).u16(bits).u32(bits == 8 ? 1 : 2);
    file.u32(quint32(data.size())).u32(3780).u32(3780).u32(4).u32(0);
    file.raw(palette.data()).raw(data);
    return file.data();
}

// A GIF whose LZW data is all literal codes (a clear code before the table would grow).
QByteArray gifFile(const QImage& image, const QList<QRgb>& palette) {
    Bytes gif;
    gif.raw("GIF89a").u16(image.width()).u16(image.height()).u8(0x81).u8(0).u8(0);
    for (int i = 0; i < 4; ++i) {
        const QRgb c = i < palette.size() ? palette[i] : 0;
        gif.u8(qRed(c)).u8(qGreen(c)).u8(qBlue(c));
    }
    gif.u8(0x2C).u16(0).u16(0).u16(image.width()).u16(image.height()).u8(0).u8(2);
    QByteArray stream;
    quint32 buffer = 0;
    int bitCount = 0;
    auto put = [&](int code) {
        buffer |= quint32(code) << bitCount;
        bitCount += 3;
        while (bitCount >= 8) {
            stream.append(char(buffer & 0xFF));
            buffer >>= 8;
            bitCount -= 8;
        }
    };
    int sinceClear = 2;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (sinceClear == 2) {
                put(4);
                sinceClear = 0;
            }
            put(int(palette.indexOf(image.pixel(x, y) | 0xFF000000)));
            ++sinceClear;
        }
    put(5);
    if (bitCount > 0)
        stream.append(char(buffer & 0xFF));
    for (qsizetype i = 0; i < stream.size(); i += 255) {
        const QByteArray block = stream.mid(i, 255);
        gif.u8(int(block.size())).raw(block);
    }
    gif.u8(0).u8(0x3B);
    return gif.data();
}

// Left half red, right half blue, 40 × 30 pixels.
QImage twoColourImage() {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 0));
    QPainter(&image).fillRect(20, 0, 20, 30, qRgb(0, 0, 255));
    return image;
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const bool progressive = qstrcmp(format, "progressive") == 0;
    QImageWriter writer(&buffer, progressive ? "jpeg" : format);
    writer.setProgressiveScanWrite(progressive);
    if (progressive || qstrcmp(format, "jpeg") == 0 || qstrcmp(format, "webp") == 0)
        writer.setQuality(95);
    return writer.write(image) ? bytes : QByteArray();
}

QByteArray iconFile(bool cursor) {
    QByteArray bytes = encoded(twoColourImage().convertToFormat(QImage::Format_ARGB32), "ico");
    if (cursor && bytes.size() > 4)
        bytes[2] = 2;
    return bytes;
}

bool near(QRgb actual, QRgb expected, int tolerance = 40) {
    return std::abs(qRed(actual) - qRed(expected)) <= tolerance &&
           std::abs(qGreen(actual) - qGreen(expected)) <= tolerance &&
           std::abs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

// Pixels noticeably darker than white (with the picture's transparency taken as white) in `area`.
int inkPixels(const QImage& image, QRect area) {
    int count = 0;
    area = area.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            const int alpha = qAlpha(p);
            const int grey = (qGray(p) * alpha + 255 * (255 - alpha)) / 255;
            count += grey < 128;
        }
    return count;
}

// The loader refuses `bytes` and gives a reason.
void expectRefused(const QByteArray& bytes, const char* what) {
    const PictureLoader::LoadResult result = PictureLoader::loadBytes(bytes);
    if (result.picture)
        QFAIL(qPrintable(QStringLiteral("accepted: %1").arg(QLatin1String(what))));
    QVERIFY2(!result.reason.isEmpty(), what);
}

constexpr double MmPerPixel = 25.4 / 96.0;

// PNG's chunk checksum.
quint32 crc32(QByteArrayView bytes) {
    quint32 crc = 0xFFFFFFFF;
    for (char byte : bytes) {
        crc ^= std::uint8_t(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void bitmapFormatsLoadAtNinetySixPixelsPerInch_data();
    void bitmapFormatsLoadAtNinetySixPixelsPerInch();
    void iconFilesShowTheirLargestImage();
    void runLengthBitmapsDecodeToTheRightPixels_data();
    void runLengthBitmapsDecodeToTheRightPixels();
    void damagedBitmapsAreRefused_data();
    void damagedBitmapsAreRefused();
    void windowsMetafileDrawsShapesBitmapAndJapaneseText();
    void windowsMetafileKeepsStateAndClipping();
    void windowsMetafileSpacesJapaneseTextByteByByte();
    void windowsMetafilePlaysEveryRecordKind();
    void hostileWindowsMetafilesAreRefused_data();
    void hostileWindowsMetafilesAreRefused();
    void enhancedMetafileDrawsShapesBitmapAndJapaneseText();
    void enhancedMetafileKeepsPathsAndDropsBrokenRecords();
    void hostileEnhancedMetafilesAreRefused_data();
    void hostileEnhancedMetafilesAreRefused();
    void writeFuzzSeeds();

public:
    static QByteArray sampleWmf();
    static QByteArray richWmf();
    static QByteArray sampleEmf();
    static QByteArray richEmf();
};

// ---- Bitmaps
// --------------------------------------------------------------------------------------

void TestPictures::bitmapFormatsLoadAtNinetySixPixelsPerInch_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("fileName");
    const QImage image = twoColourImage();
    QTest::newRow("bmp") << encoded(image, "bmp") << "picture.bmp";
    QTest::newRow("rle-named bmp") << encoded(image, "bmp") << "picture.rle";
    QTest::newRow("jpeg") << encoded(image, "jpeg") << "picture.jpg";
    QTest::newRow("progressive jpeg") << encoded(image, "progressive") << "picture.jpeg";
    QTest::newRow("png") << encoded(image, "png") << "picture.png";
    QTest::newRow("tiff") << encoded(image, "tiff") << "picture.tif";
    QTest::newRow("webp") << encoded(image, "webp") << "picture.webp";
    QTest::newRow("gif") << gifFile(image, {qRgb(255, 0, 0), qRgb(0, 0, 255)}) << "picture.gif";
    QTest::newRow("ico") << iconFile(false) << "picture.ico";
    QTest::newRow("cur") << iconFile(true) << "picture.cur";
}

void TestPictures::bitmapFormatsLoadAtNinetySixPixelsPerInch() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, fileName);
    QVERIFY(!bytes.isEmpty());
    QTemporaryDir dir;
    QFile file(dir.filePath(fileName));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    const PictureLoader::LoadResult result = PictureLoader::loadFile(file.fileName());
    QVERIFY2(result.picture, qPrintable(result.reason));
    const Picture& picture = *result.picture;
    QCOMPARE(picture.image().size(), QSize(40, 30));
    QCOMPARE(picture.naturalSizeMm().width(), 40 * MmPerPixel);
    QCOMPARE(picture.naturalSizeMm().height(), 30 * MmPerPixel);
    QVERIFY(near(picture.image().pixel(5, 15), qRgb(255, 0, 0)));
    QVERIFY(near(picture.image().pixel(35, 15), qRgb(0, 0, 255)));
}

void TestPictures::iconFilesShowTheirLargestImage() {
    // Two images in one icon file: 16 × 16 first, then 48 × 48.
    QList<QImage> images{QImage(16, 16, QImage::Format_ARGB32),
                         QImage(48, 48, QImage::Format_ARGB32)};
    images[0].fill(qRgb(0, 255, 0));
    images[1].fill(qRgb(0, 0, 255));
    QList<QByteArray> parts;
    for (const QImage& image : images)
        parts << encoded(image, "png");
    Bytes ico;
    ico.u16(0).u16(1).u16(int(parts.size()));
    quint32 offset = 6 + 16 * quint32(parts.size());
    for (int i = 0; i < parts.size(); ++i) {
        ico.u8(images[i].width()).u8(images[i].height()).u8(0).u8(0).u16(1).u16(32);
        ico.u32(quint32(parts[i].size())).u32(offset);
        offset += quint32(parts[i].size());
    }
    for (const QByteArray& part : parts)
        ico.raw(part);

    const PictureLoader::LoadResult result = PictureLoader::loadBytes(ico.data());
    QVERIFY2(result.picture, qPrintable(result.reason));
    QCOMPARE(result.picture->image().size(), QSize(48, 48));
    QCOMPARE(result.picture->naturalSizeMm().width(), 48 * MmPerPixel);
    QVERIFY(near(result.picture->image().pixel(10, 10), qRgb(0, 0, 255), 0));
}

void TestPictures::runLengthBitmapsDecodeToTheRightPixels_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows"); // top row first; digits are palette indices
    // 8 bits: an encoded run, an absolute run with its padding byte, end of line, a delta that
    // skips pixels (left at index 0), end of bitmap.
    QTest::newRow("rle8") << rleBitmap(8, QByteArray::fromHex("0301"
                                                              "000302030100"
                                                              "0000"
                                                              "00020300"
                                                              "0203"
                                                              "0000"
                                                              "0602"
                                                              "0001"))
                          << QStringList{"222222", "000330", "111231"};
    // 4 bits: runs alternate the two nibbles; an absolute run of 5 pixels packs into 3 bytes and
    // a padding byte.
    QTest::newRow("rle4") << rleBitmap(4, QByteArray::fromHex("0512"
                                                              "0130"
                                                              "0000"
                                                              "0005"
                                                              "321310"
                                                              "00"
                                                              "0130"
                                                              "0000"
                                                              "0001"))
                          << QStringList{"000000", "321313", "121213"};
}

void TestPictures::runLengthBitmapsDecodeToTheRightPixels() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    const QList<QRgb> palette{qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
    const PictureLoader::LoadResult result = PictureLoader::loadBytes(bytes);
    QVERIFY2(result.picture, qPrintable(result.reason));
    const QImage& image = result.picture->image();
    QCOMPARE(image.size(), QSize(6, 3));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x)
            QVERIFY2(image.pixel(x, y) == palette[rows[y][x].digitValue()],
                     qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
}

void TestPictures::damagedBitmapsAreRefused_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QImage image = twoColourImage();
    for (const char* format : {"bmp", "jpeg", "progressive", "png", "tiff", "webp"}) {
        const QByteArray whole = encoded(image, format);
        QTest::addRow("%s cut at a third", format) << whole.left(whole.size() / 3);
        QTest::addRow("%s cut near the end", format) << whole.left(whole.size() - 40);
        QTest::addRow("%s header only", format) << whole.left(20);
    }
    const QByteArray gif = gifFile(image, {qRgb(255, 0, 0), qRgb(0, 0, 255)});
    QTest::newRow("gif cut in the image data") << gif.left(gif.size() / 2);
    QTest::newRow("gif cut after the colour table") << gif.left(25);
    const QByteArray ico = iconFile(false);
    QTest::newRow("ico cut short") << ico.left(ico.size() / 2);

    QTest::newRow("rle8 without end") << rleBitmap(8, QByteArray::fromHex("0601"));
    QTest::newRow("rle8 run past the row") << rleBitmap(8, QByteArray::fromHex("07010001"));
    QTest::newRow("rle8 absolute run cut off") << rleBitmap(8, QByteArray::fromHex("000501"));
    QTest::newRow("rle8 delta past the bitmap")
        << rleBitmap(8, QByteArray::fromHex("000200090001"));
    QTest::newRow("rle4 run past the row") << rleBitmap(4, QByteArray::fromHex("09120001"));

    // Headers that claim far more than the file holds are refused before anything is allocated.
    QByteArray lyingBmp = encoded(image, "bmp");
    lyingBmp.replace(18, 8, QByteArray::fromHex("204e0000204e0000")); // 20000 x 20000
    QTest::newRow("bmp claiming 400 megapixels") << lyingBmp;
    QByteArray lyingPng = encoded(image, "png");
    lyingPng.replace(16, 8, QByteArray::fromHex("0000c3500000c350")); // 50000 x 50000
    const quint32 crc = crc32(QByteArrayView(lyingPng).sliced(12, 17));
    lyingPng.replace(
        29, 4, Bytes().u8(int(crc >> 24)).u8(int(crc >> 16)).u8(int(crc >> 8)).u8(int(crc)).data());
    QTest::newRow("png claiming 2.5 gigapixels") << lyingPng;
    QByteArray lyingGif = gif;
    lyingGif.replace(6, 4, QByteArray::fromHex("ffffffff"));
    lyingGif.replace(30, 4, QByteArray::fromHex("ffffffff"));
    QTest::newRow("gif claiming 4 gigapixels") << lyingGif;

    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("text file") << QByteArray("not a picture at all\n");
    QTest::newRow("svg (not offered)") << QByteArray("<svg xmlns='http://www.w3.org/2000/svg'/>");
}

void TestPictures::damagedBitmapsAreRefused() {
    QFETCH(QByteArray, bytes);
    expectRefused(bytes, QTest::currentDataTag());
}

// ---- Windows metafiles
// ----------------------------------------------------------------------------

// 2000 × 1000 units at 1000 units per inch: 50.8 × 25.4 mm, drawn at 300 dpi as 600 × 300 pixels
// (0.3 pixels per unit).
QByteArray TestPictures::sampleWmf() {
    WmfBuilder wmf(QRect(0, 0, 2000, 1000), 1000);
    wmf.record(0x0103, {8})           // anisotropic mapping
        .record(0x020B, {0, 0})       // window origin
        .record(0x020C, {1000, 2000}) // window extent (y, x)
        .pen(5, 0, 0)                 // 0: no outline
        .select(0)
        .brush(qRgb(255, 0, 0)) // 1
        .select(1)
        .rect(0x041B, QRect(100, 100, 400, 400))
        .brush(qRgb(0, 0, 255)) // 2
        .select(2)
        .rect(0x0418, QRect(600, 100, 400, 400))
        .brush(qRgb(0, 160, 0)) // 3
        .select(3)
        .record(0x0324, {3, 1100, 500, 1300, 100, 1500, 500}) // triangle
        .stretchDib(
            QRect(1600, 100, 300, 300), 2, 2,
            packedDib(2, 2,
                      {qRgb(255, 255, 0), qRgb(0, 255, 255), qRgb(255, 0, 255), qRgb(0, 0, 0)}))
        // A pie from 3 o'clock to 12 o'clock: counter-clockwise, the upper right quarter.
        .brush(qRgb(255, 128, 0)) // 4
        .select(4)
        .record(0x081A, {600, 1400, 800, 1600, 1000, 1600, 600, 1200})
        .font(-200, 128, cp932(QStringLiteral("ＭＳ ゴシック"))) // 5
        .select(5)
        .record(0x0102, {1}) // transparent background
        .colour(0x0209, qRgb(0, 0, 0))
        .record(0x012E, {0}) // align: left, top
        .textOut(100, 650, cp932(QStringLiteral("日本語")));
    return wmf.build();
}

void TestPictures::windowsMetafileDrawsShapesBitmapAndJapaneseText() {
    const PictureLoader::LoadResult result = PictureLoader::loadBytes(sampleWmf());
    QVERIFY2(result.picture, qPrintable(result.reason));
    const Picture& picture = *result.picture;
    QCOMPARE(picture.naturalSizeMm(), QSizeF(50.8, 25.4));
    const QImage image = picture.image();
    QCOMPARE(image.size(), QSize(600, 300));
    auto at = [&image](int xUnits, int yUnits) {
        return image.pixel(xUnits * 3 / 10, yUnits * 3 / 10);
    };

    QVERIFY(near(at(300, 300), qRgb(255, 0, 0), 0));    // rectangle
    QVERIFY(near(at(800, 300), qRgb(0, 0, 255), 0));    // ellipse centre
    QCOMPARE(qAlpha(at(610, 110)), 0);                  // outside the ellipse's curve
    QVERIFY(near(at(1300, 400), qRgb(0, 160, 0), 0));   // triangle
    QCOMPARE(qAlpha(at(1120, 120)), 0);                 // beside its slope
    QVERIFY(near(at(1650, 150), qRgb(255, 255, 0), 0)); // bitmap, top left (stored bottom-up)
    QVERIFY(near(at(1850, 150), qRgb(0, 255, 255), 0));
    QVERIFY(near(at(1650, 350), qRgb(255, 0, 255), 0));
    QVERIFY(near(at(1850, 350), qRgb(0, 0, 0), 0));
    QVERIFY(near(at(1500, 700), qRgb(255, 128, 0), 0)); // pie: upper right quarter
    QCOMPARE(qAlpha(at(1300, 700)), 0);                 // not the upper left
    QCOMPARE(qAlpha(at(1500, 900)), 0);                 // nor the lower right

    // The text: three Japanese characters 200 units (60 pixels) high. Its ink is about what the
    // same characters drawn directly give; a wrong decoding would give six Latin characters.
    const QRect textArea(30, 195, 200, 60);
    const int ink = inkPixels(image, textArea);
    QImage reference(image.size(), QImage::Format_ARGB32_Premultiplied);
    reference.fill(Qt::transparent);
    {
        QPainter painter(&reference);
        QFont font(QStringLiteral("IPAGothic"));
        font.setPixelSize(60);
        painter.setFont(font);
        painter.drawText(QPointF(30, 195 + QFontMetricsF(font).ascent()), QStringLiteral("日本語"));
    }
    const int expected = inkPixels(reference, textArea);
    QVERIFY2(ink > expected * 0.7 && ink < expected * 1.3,
             qPrintable(QStringLiteral("ink %1, expected about %2").arg(ink).arg(expected)));
    QCOMPARE(inkPixels(image, QRect(30, 258, 200, 40)), 0); // nothing below the line
}

void TestPictures::windowsMetafileKeepsStateAndClipping() {
    WmfBuilder wmf(QRect(0, 0, 100, 100), 100); // 1 inch: 300 × 300 pixels
    wmf.pen(5, 0, 0).select(0).brush(qRgb(255, 0, 0)).select(1);
    wmf.record(0x001E, {})                  // save
        .rect(0x0416, QRect(0, 0, 50, 100)) // clip to the left half
        .brush(qRgb(0, 0, 255))
        .select(2)
        .rect(0x041B, QRect(0, 0, 100, 50))   // top band, clipped, blue
        .record(0x0127, {quint16(-1)})        // restore: red brush, no clip
        .rect(0x041B, QRect(0, 60, 100, 40)); // bottom band, red, full width
    const WmfPlayer::Result result = WmfPlayer::render(wmf.build());
    QVERIFY2(result.ok(), qPrintable(result.reason));
    QCOMPARE(result.image.size(), QSize(300, 300));
    QVERIFY(near(result.image.pixel(60, 60), qRgb(0, 0, 255), 0));
    QCOMPARE(qAlpha(result.image.pixel(240, 60)), 0);
    QVERIFY(near(result.image.pixel(60, 250), qRgb(255, 0, 0), 0));
    QVERIFY(near(result.image.pixel(240, 250), qRgb(255, 0, 0), 0));
}

// Every record kind the player knows, in one drawing of 2000 × 2000 units (600 × 600 pixels).
QByteArray TestPictures::richWmf() {
    WmfBuilder wmf(QRect(0, 0, 2000, 2000), 1000, 16);
    QList<QRgb> checker;
    for (int i = 0; i < 64; ++i)
        checker << ((i / 8 + i % 8) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    wmf.record(0x0201, {0xFFFF, 0x0000}) // background colour: yellow
        .record(0x0102, {2})             // opaque background
        .pen(1, 10, qRgb(0, 0, 0))       // 0: dashed
        .select(0)
        .record(0x02FC, {2, 0xA000, 0, 4}) // 1: hatched (cross) green
        .select(1)
        .record(0x061C, {100, 100, 400, 500, 100, 100})                  // round rectangle
        .record(0x0830, {100, 750, 250, 900, 400, 900, 100, 600})        // chord
        .record(0x0817, {100, 1150, 250, 1300, 400, 1300, 100, 1000})    // arc
        .record(0x0214, {500, 100})                                      // move to
        .record(0x0213, {500, 900})                                      // line to
        .record(0x0325, {4, 1000, 450, 1100, 550, 1200, 450, 1300, 550}) // polyline
        .pen(5, 0, 0)                                                    // 2: no outline
        .select(2)
        .brush(qRgb(255, 0, 0)) // 3
        .select(3)
        // Two nested squares: with alternate filling the inner one is a hole...
        .record(0x0538, {2, 4, 4, 100, 600, 500, 600, 500, 1000, 100, 1000, 200, 700, 400, 700, 400,
                         900, 200, 900})
        .record(0x0106, {2}) // ...with winding it is filled
        .record(0x0538, {2, 4, 4, 600, 600, 1000, 600, 1000, 1000, 600, 1000, 700, 700, 900, 700,
                         900, 900, 700, 900})
        .record(0x0142, {5, 0}, packedDib(8, 8, checker)) // 4: pattern brush
        .select(4)
        .rect(0x041B, QRect(1100, 600, 400, 400))
        .brush(qRgb(0, 0, 255)) // 5
        .select(5)
        .record(0x061D, {0x0021, 0x00F0, 100, 400, 1100, 1600})          // pattern fill (PATCOPY)
        .record(0x0940, {0x0021, 0x00F0, 0, 0, 0, 100, 100, 1250, 1600}) // blit without bitmap
        .record(0x0B41, {0x0020, 0x00CC, 2, 2, 0, 0, 200, 200, 1100, 100},
                packedDib(2, 2, {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(0, 0, 0)}))
        .record(0x0D33, {0, 2, 0, 0, 0, 2, 2, 1100, 400},
                packedDib(2, 2, {qRgb(9, 9, 9), qRgb(9, 9, 9), qRgb(9, 9, 9), qRgb(9, 9, 9)}))
        .record(0x001E, {})                        // save
        .rect(0x0415, QRect(1500, 1500, 100, 100)) // exclude a square
        .rect(0x041B, QRect(1400, 1400, 300, 300))
        .record(0x0127, {0xFFFF})              // restore
        .record(0x00F7, {0x0300, 0})           // palette (takes a slot)
        .record(0x06FF, {0, 0, 0, 0, 0, 0, 0}) // region (takes a slot)
        .record(0x012D, {999})                 // selecting no object: ignored
        .record(0x01F0, {4})                   // delete the pattern brush
        .font(-100, 0, "Arial")                // 6 (lowest free slot: 4)
        .select(4)
        .colour(0x0209, qRgb(0, 0, 0))
        .record(0x0A32, {1900, 100, 3, 0x0002, 100, 1800, 600, 1950},
                QByteArray("Abc").append('\0').append(Bytes().u16(100).u16(100).u16(100).data()))
        .record(0x012E, {6 | 24}) // centre, baseline
        .textOut(1000, 1950, "Centre")
        .record(0x020F, {50, 50})           // offset window origin
        .record(0x0410, {1, 1, 1, 1})       // scale window extent by 1
        .record(0x020D, {0, 0})             // viewport origin
        .record(0x020E, {2000, 2000})       // viewport extent
        .record(0x0211, {0, 0})             // offset viewport origin
        .record(0x0412, {1, 1, 1, 1})       // scale viewport extent
        .record(0x041F, {0, 0, 1990, 1990}) // a pixel
        .record(0x0626, {15, 0});           // an escape: skipped
    return wmf.build();
}

void TestPictures::windowsMetafilePlaysEveryRecordKind() {
    const WmfPlayer::Result result = WmfPlayer::render(richWmf());
    QVERIFY2(result.ok(), qPrintable(result.reason));
    const QImage& image = result.image;
    QCOMPARE(image.size(), QSize(600, 600));
    auto at = [&image](int x, int y) { return image.pixel(x * 3 / 10, y * 3 / 10); };
    QVERIFY(near(at(150, 650), qRgb(255, 0, 0), 0));    // alternate: the ring is filled...
    QCOMPARE(qAlpha(at(300, 800)), 0);                  // ...and the inner square is a hole
    QVERIFY(near(at(800, 800), qRgb(255, 0, 0), 0));    // winding: filled
    QVERIFY(near(at(150, 1150), qRgb(255, 0, 0), 0));   // stretched bitmap, top left
    QVERIFY(near(at(250, 1250), qRgb(0, 0, 0), 0));     // and bottom right
    QVERIFY(near(at(1700, 1150), qRgb(0, 0, 255), 0));  // pattern fill with the blue brush
    QVERIFY(near(at(1650, 1300), qRgb(0, 0, 255), 0));  // blit without a bitmap: the same
    QVERIFY(near(at(1450, 1450), qRgb(0, 0, 255), 0));  // rectangle around the excluded square
    QCOMPARE(qAlpha(at(1550, 1550)), 0);                // the excluded square
    QVERIFY(near(at(150, 1830), qRgb(255, 255, 0), 0)); // the opaque text box: yellow
}

// ExtTextOut gives one advance per byte; a Shift-JIS character takes the sum of its two.
void TestPictures::windowsMetafileSpacesJapaneseTextByteByByte() {
    WmfBuilder wmf(QRect(0, 0, 2000, 400), 1000); // 600 × 120 pixels
    const QByteArray text = cp932(QStringLiteral("日本"));
    QCOMPARE(text.size(), 4);
    Bytes params;
    params.u16(100).u16(100).u16(4).u16(0).raw(text);
    for (int i = 0; i < 4; ++i)
        params.u16(300); // 600 units a character
    wmf.font(-200, 128, cp932(QStringLiteral("ＭＳ 明朝")))
        .select(0)
        .record(0x0102, {1})
        .record(0x0A32, {}, params.data());
    const WmfPlayer::Result result = WmfPlayer::render(wmf.build());
    QVERIFY2(result.ok(), qPrintable(result.reason));
    auto inkIn = [&result](int fromUnits, int toUnits) {
        return inkPixels(result.image,
                         QRect(fromUnits * 3 / 10, 30, (toUnits - fromUnits) * 3 / 10, 60));
    };
    QVERIFY(inkIn(100, 300) > 200); // 日 at 100
    QCOMPARE(inkIn(320, 680), 0);   // the gap the advances leave
    QVERIFY(inkIn(700, 900) > 200); // 本 at 700
}

void TestPictures::hostileWindowsMetafilesAreRefused_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray sample = sampleWmf();
    QTest::newRow("cut in a record") << sample.left(sample.size() - 30);
    QTest::newRow("cut in the header") << sample.left(30);
    QTest::newRow("no end record") << sample.left(sample.size() - 6);

    QByteArray withoutPlaceable = sample.mid(22);
    QTest::newRow("no placeable header") << withoutPlaceable;
    QTest::newRow("empty frame") << WmfBuilder(QRect(0, 0, 0, 100), 1000).build();
    QTest::newRow("no units per inch") << WmfBuilder(QRect(0, 0, 100, 100), 0).build();

    Bytes zeroRecord;
    zeroRecord.u32(0).u16(0x041B);
    QByteArray stuck = WmfBuilder(QRect(0, 0, 100, 100), 100).build(false);
    QTest::newRow("record of size zero") << stuck + zeroRecord.data();
    Bytes hugeRecord;
    hugeRecord.u32(0x7FFFFFFF).u16(0x041B);
    QTest::newRow("record larger than the file") << stuck + hugeRecord.data();

    // A million-fold full-canvas fill would take minutes: the work budget stops it.
    WmfBuilder heavy(QRect(0, 0, 10000, 10000), 100); // 100 inches: the full pixel budget
    for (int i = 0; i < 200; ++i)
        heavy.rect(0x041B, QRect(0, 0, 10000, 10000));
    QTest::newRow("too much drawing") << heavy.build();
}

void TestPictures::hostileWindowsMetafilesAreRefused() {
    QFETCH(QByteArray, bytes);
    expectRefused(bytes, QTest::currentDataTag());
}

// ---- Enhanced metafiles
// ---------------------------------------------------------------------------

// Frame 50.8 × 25.4 mm on a reference device of 100 pixels per 25.4 mm: 200 × 100 logical units.
// Drawn at 300 dpi: 600 × 300 pixels, 3 pixels per unit.
QByteArray TestPictures::sampleEmf() {
    EmfBuilder emf(QRect(0, 0, 5080, 2540), QSize(1000, 1000), QSize(254, 254));
    emf.pen(1, 5, 0) // no outline
        .select(1)
        .brush(2, qRgb(255, 0, 0))
        .select(2)
        .rect(43, QRect(10, 10, 40, 40))
        .brush(3, qRgb(0, 0, 255))
        .select(3)
        .rect(42, QRect(60, 10, 40, 40))
        .stretchDiBits(
            QRect(160, 10, 30, 30), 2, 2,
            packedDib(2, 2,
                      {qRgb(255, 255, 0), qRgb(0, 255, 255), qRgb(255, 0, 255), qRgb(0, 0, 0)}))
        .font(4, -20, 128, QStringLiteral("IPAGothic"))
        .select(4)
        .record(18, {1}) // transparent background
        .record(24, {0}) // black text
        .record(22, {0}) // align: left, top
        .textOutW(10, 60, QStringLiteral("日本語"), 20);
    return emf.build();
}

void TestPictures::enhancedMetafileDrawsShapesBitmapAndJapaneseText() {
    const PictureLoader::LoadResult result = PictureLoader::loadBytes(sampleEmf());
    QVERIFY2(result.picture, qPrintable(result.reason));
    QCOMPARE(result.picture->naturalSizeMm(), QSizeF(50.8, 25.4));
    const QImage image = result.picture->image();
    QCOMPARE(image.size(), QSize(600, 300));
    auto at = [&image](int x, int y) { return image.pixel(x * 3, y * 3); };
    QVERIFY(near(at(30, 30), qRgb(255, 0, 0)));
    QVERIFY(near(at(80, 30), qRgb(0, 0, 255)));
    QCOMPARE(qAlpha(at(61, 11)), 0); // outside the ellipse's curve
    QCOMPARE(qAlpha(at(130, 30)), 0);
    QVERIFY(near(at(165, 15), qRgb(255, 255, 0)));
    QVERIFY(near(at(185, 15), qRgb(0, 255, 255)));
    QVERIFY(near(at(165, 35), qRgb(255, 0, 255)));
    QVERIFY(near(at(185, 35), qRgb(0, 0, 0)));
    // Three characters 20 units (60 pixels) high from (10, 60).
    const int ink = inkPixels(image, QRect(30, 175, 200, 70));
    QVERIFY2(ink > 1000, qPrintable(QString::number(ink)));
    QCOMPARE(inkPixels(image, QRect(250, 175, 300, 70)), 0);
}

// Paths, transforms, clipping and the 16-bit point records, plus records the converter must not
// see: a polygon whose count runs past its record, an object handle outside the table, text given
// as glyph numbers.
QByteArray TestPictures::richEmf() {
    EmfBuilder emf(QRect(0, 0, 5080, 5080), QSize(1000, 1000), QSize(254, 254));
    emf.pen(1, 5, 0)
        .select(1)
        .brush(2, qRgb(0, 128, 0))
        .select(2)
        .record(59, {}) // begin path
        .record(86, {0, 0, 0, 0, 3}, Bytes().u16(10).u16(10).u16(90).u16(10).u16(50).u16(60).data())
        .record(60, {})                 // end path
        .record(62, {0, 0, 0, 0})       // fill path
        .record(33, {})                 // save
        .record(30, {100, 0, 150, 200}) // clip to a band
        .brush(3, qRgb(255, 0, 0))
        .select(3)
        .rect(43, QRect(100, 0, 100, 100)) // half of it visible
        .record(34, {quint32(-1)})         // restore
        .record(87, {0, 0, 0, 0, 3},
                Bytes().u16(10).u16(150).u16(50).u16(190).u16(90).u16(150).data())
        .record(91, {0, 0, 0, 0, 2, 8, 4, 4},
                Bytes()
                    .u16(110)
                    .u16(110)
                    .u16(190)
                    .u16(110)
                    .u16(190)
                    .u16(190)
                    .u16(110)
                    .u16(190)
                    .u16(130)
                    .u16(130)
                    .u16(170)
                    .u16(130)
                    .u16(170)
                    .u16(170)
                    .u16(130)
                    .u16(170)
                    .data())
        .record(44, {10, 100, 90, 190, 20, 20})              // round rectangle
        .record(47, {100, 100, 0, 0, 190, 100, 100, 100})    // pie: a quarter
        .record(35, {0x3F800000, 0, 0, 0x3F800000, 0, 0})    // identity world transform
        .record(86, {0, 0, 0, 0, 1000}, QByteArray(8, '\0')) // count past the record: left out
        .record(37, {77})                                    // handle outside the table: left out
        .textOutW(10, 10, QStringLiteral("ab"), 5, 0x0010);  // glyph numbers: left out
    return emf.build();
}

void TestPictures::enhancedMetafileKeepsPathsAndDropsBrokenRecords() {
    const EmfLoader::Result result = EmfLoader::render(richEmf());
    QVERIFY2(result.ok(), qPrintable(result.reason));
    const QImage& image = result.image;
    QCOMPARE(image.size(), QSize(600, 600));
    auto at = [&image](int x, int y) { return image.pixel(x * 3, y * 3); };
    QVERIFY(near(at(50, 20), qRgb(0, 128, 0)));   // filled path
    QCOMPARE(qAlpha(at(50, 80)), 0);              // below it
    QVERIFY(near(at(50, 150), qRgb(0, 128, 0)));  // round rectangle
    QVERIFY(near(at(115, 150), qRgb(0, 128, 0))); // polygons from 16-bit points
    // The two broken records (36 and 12 bytes) and the glyph-number text (88 bytes) are all the
    // rebuilt file leaves out.
    QCOMPARE(EmfSanitizer::sanitize(richEmf()).bytes.size(), richEmf().size() - 36 - 12 - 88);
}

void TestPictures::hostileEnhancedMetafilesAreRefused_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray sample = sampleEmf();
    QTest::newRow("cut in a record") << sample.left(sample.size() - 50);
    QTest::newRow("cut in the header") << sample.left(60);
    QTest::newRow("no end record") << sample.left(sample.size() - 20);
    QByteArray secondHeader = sample;
    secondHeader.insert(88, sample.left(88));
    QTest::newRow("second header") << secondHeader;
    QTest::newRow("no device size")
        << EmfBuilder(QRect(0, 0, 100, 100), QSize(0, 0), QSize(0, 0)).build();
    QTest::newRow("empty frame")
        << EmfBuilder(QRect(0, 0, 0, 100), QSize(100, 100), QSize(25, 25)).build();
    QByteArray oddSize = sample;
    oddSize[88 + 4] = 13; // first record's size not a multiple of four
    QTest::newRow("record size not aligned") << oddSize;
    QByteArray hugeSize = sample;
    hugeSize.replace(88 + 4, 4, QByteArray::fromHex("ffffff7f"));
    QTest::newRow("record larger than the file") << hugeSize;
}

void TestPictures::hostileEnhancedMetafilesAreRefused() {
    QFETCH(QByteArray, bytes);
    expectRefused(bytes, QTest::currentDataTag());
}

// Writes the sample metafiles as fuzzing seeds when GPC_WRITE_FUZZ_SEEDS names the corpus folder.
void TestPictures::writeFuzzSeeds() {
    const QString root = qEnvironmentVariable("GPC_WRITE_FUZZ_SEEDS");
    if (root.isEmpty())
        QSKIP("GPC_WRITE_FUZZ_SEEDS not set");
    const QList<std::pair<QString, QByteArray>> seeds{
        {QStringLiteral("fuzz_wmf/sample.wmf"), sampleWmf()},
        {QStringLiteral("fuzz_wmf/rich.wmf"), richWmf()},
        {QStringLiteral("fuzz_emf/sample.emf"), sampleEmf()},
        {QStringLiteral("fuzz_emf/rich.emf"), richEmf()}};
    for (const auto& [name, bytes] : seeds) {
        QFile file(QDir(root).filePath(name));
        QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
}

QTEST_MAIN(TestPictures)
#include "test_pictures.moc"
