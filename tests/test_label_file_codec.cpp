#include "document/LabelFileCodec.h"
#include "document/LayoutBlock.h"

#include <QtEndian>
#include <QtTest>
#include <limits>

using namespace LabelFileCodec;

namespace {

// A value padded with zero bytes to a whole record.
QByteArray record(const QByteArray& value) {
    QByteArray bytes = value;
    bytes.append(RecordSize - value.size(), '\0');
    return bytes;
}

QByteArray hex(const char* digits) {
    return QByteArray::fromHex(digits);
}

QByteArray i32(std::int32_t value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// Offset of the first differing byte, or -1; QCOMPARE on large arrays says too little.
qsizetype firstDifference(const QByteArray& actual, const QByteArray& expected) {
    const qsizetype common = qMin(actual.size(), expected.size());
    for (qsizetype i = 0; i < common; ++i) {
        if (actual[i] != expected[i])
            return i;
    }
    return actual.size() == expected.size() ? -1 : common;
}

TextItem makeItem(const QString& text, const QString& fontName) {
    TextItem item;
    item.Text = text;
    item.FontName = fontName;
    item.Left = 10;
    item.Top = 20;
    item.Width = 8.5f;
    item.Height = 4;
    item.Size = 40;
    item.Color = 4;
    return item;
}

// The one-item document of the format's worked example.
LabelDocument workedExample() {
    LabelDocument document;
    document.BackWidth = 122;
    document.BackHeight = 122;
    document.TextItems.resize(std::size_t(1));
    document.SelectedText = -1;
    document.item(0) = makeItem(QStringLiteral("abc"), QStringLiteral("F"));
    return document;
}

QByteArray workedExampleBytes() {
    return record(hex("1b00") + QByteArray("Gyroplatecomposer Save File")) + record(hex("0000")) +
           record(hex("00000000 00000000 0000f442 0000f442")) + record(hex("01000000")) +
           record(hex("ffffffff")) +
           record(hex("0300616263 00002041 0000a041 00000841 00008040 28000000 04000000 010046")) +
           record(hex("00000000"));
}

void compareDocuments(const LabelDocument& actual, const LabelDocument& expected) {
    QCOMPARE(actual.itemCount(), expected.itemCount());
    QCOMPARE(actual.SelectedText, expected.SelectedText);
    QCOMPARE(actual.BackLeft, expected.BackLeft);
    QCOMPARE(actual.BackTop, expected.BackTop);
    QCOMPARE(actual.BackWidth, expected.BackWidth);
    QCOMPARE(actual.BackHeight, expected.BackHeight);
    for (int i = 0; i < expected.itemCount(); ++i)
        QVERIFY2(actual.item(i) == expected.item(i), qPrintable(QString::number(i)));
}

QByteArray encoded(const LabelDocument& document, std::int16_t scaleStep = 0,
                   const QByteArray& picture = QByteArray()) {
    const EncodeResult result = encode(document, scaleStep, picture);
    if (!result.bytes)
        qWarning() << "refused:" << result.reason;
    return result.bytes.value_or(QByteArray());
}

} // namespace

class TestLabelFileCodec : public QObject {
    Q_OBJECT

private slots:
    void workedExampleByteForByte();
    void emptyDocumentKeepsStoredValues();
    void hundredItemsAndPictureLayout();
    void onePictureByteIsRefusedAndReadsBackAsNone();
    void japaneseTextRoundTrips_data();
    void japaneseTextRoundTrips();
    void lookAlikesAreStoredAsCodePageCharacters();
    void writerRefuses_data();
    void writerRefuses();
    void itemsFillingTheirRecordExactlyAreAccepted();
    void readerIgnoresPaddingAndTrailingBytes();
    void readerRefuses_data();
    void readerRefuses();
    void identificationAloneDecidesForeignFiles_data();
    void identificationAloneDecidesForeignFiles();
    void scaleStepWithoutPicture_data();
    void scaleStepWithoutPicture();
    void layoutsRoundTripAfterTheRecords_data();
    void layoutsRoundTripAfterTheRecords();
    void layoutBlockWhoseRecordsWereSavedAnewIsStale();
    void damagedLayoutBlocksAreRefused_data();
    void damagedLayoutBlocksAreRefused();
};

void TestLabelFileCodec::workedExampleByteForByte() {
    const QByteArray bytes = encoded(workedExample());
    QCOMPARE(bytes.size(), 7 * RecordSize);
    QCOMPARE(firstDifference(bytes, workedExampleBytes()), -1);

    const DecodeResult result = decode(workedExampleBytes());
    QVERIFY2(result.file, qPrintable(result.reason));
    QCOMPARE(result.refusal, Refusal::None);
    compareDocuments(result.file->document, workedExample());
    QCOMPARE(result.file->scaleStep, 0);
    QVERIFY(result.file->picture.isEmpty());
}

void TestLabelFileCodec::emptyDocumentKeepsStoredValues() {
    LabelDocument document;
    document.BackLeft = 3.25f;
    document.BackTop = -7.5f;
    document.BackWidth = 61;
    document.BackHeight = 30.5f;
    const QByteArray bytes = encoded(document, -37);
    QCOMPARE(bytes.size(), 768);
    QCOMPARE(bytes.mid(640), record(i32(0)));

    const DecodeResult result = decode(bytes);
    QVERIFY2(result.file, qPrintable(result.reason));
    compareDocuments(result.file->document, document);
    QCOMPARE(result.file->scaleStep, -37); // as stored; the window decides what to do with it
    QVERIFY(result.file->picture.isEmpty());
}

void TestLabelFileCodec::hundredItemsAndPictureLayout() {
    LabelDocument document;
    document.TextItems.resize(std::size_t(MaxTextItems));
    document.SelectedText = 99;
    for (int i = 0; i < MaxTextItems; ++i) {
        // 50 + 50 bytes: every record is full to its last byte.
        document.item(i) = makeItem(QString(50, QChar(u'a' + i % 26)), QString(25, QChar(u'あ')));
        document.item(i).Left = float(i) / 3.0f;
    }
    QByteArray picture(1000, '\0');
    for (int i = 0; i < picture.size(); ++i)
        picture[i] = char(i * 7 + 1);

    const QByteArray withoutPicture = encoded(document, 5);
    QCOMPARE(withoutPicture.size(), 106 * RecordSize);
    QVERIFY(withoutPicture.size() <= 13568);

    const QByteArray bytes = encoded(document, 5, picture);
    QCOMPARE(bytes.size(), 100000 + picture.size() - 1);
    QCOMPARE(bytes.mid(0, withoutPicture.size()),
             withoutPicture.left(105 * RecordSize) + record(i32(999)));
    QCOMPARE(bytes.mid(PictureOffset), picture);
    QCOMPARE(bytes.mid(106 * RecordSize, PictureOffset - 106 * RecordSize),
             QByteArray(PictureOffset - 106 * RecordSize, '\0'));

    const DecodeResult result = decode(bytes);
    QVERIFY2(result.file, qPrintable(result.reason));
    compareDocuments(result.file->document, document);
    QCOMPARE(result.file->scaleStep, 5);
    QCOMPARE(result.file->picture, picture);
}

// The size is stored less one, so one byte would read back as no picture: the writer refuses it,
// and a file that holds one (from elsewhere) opens without a picture.
void TestLabelFileCodec::onePictureByteIsRefusedAndReadsBackAsNone() {
    const EncodeResult refused = encode(workedExample(), 20, QByteArray("\x42", 1));
    QVERIFY(!refused.bytes);
    QVERIFY2(refused.reason.contains(QStringLiteral("one byte")), qPrintable(refused.reason));

    QByteArray bytes = encoded(workedExample(), 20);
    QCOMPARE(bytes.mid(768, 4), i32(0));
    bytes.append(QByteArray(PictureOffset - bytes.size(), '\0')).append('\x42');
    const DecodeResult result = decode(bytes);
    QVERIFY(result.file);
    QVERIFY(result.file->picture.isEmpty());
    QCOMPARE(result.file->scaleStep, 20);
}

void TestLabelFileCodec::japaneseTextRoundTrips_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("circled digit") << QStringLiteral(u"①") << hex("8740");
    QTest::newRow("parenthesised kabushiki") << QStringLiteral(u"㈱") << hex("878a");
    QTest::newRow("fullwidth tilde") << QStringLiteral(u"～") << hex("8160");
    QTest::newRow("ladder taka") << QStringLiteral(u"髙") << hex("fbfc");
    QTest::newRow("halfwidth katakana") << QStringLiteral(u"ｱｲｳ") << hex("b1b2b3");
    QTest::newRow("mixed") << QStringLiteral(u"株式会社 髙橋①") << QByteArray();
}

void TestLabelFileCodec::japaneseTextRoundTrips() {
    QFETCH(QString, text);
    QFETCH(QByteArray, stored);
    LabelDocument document = workedExample();
    document.item(0).Text = text;
    document.item(0).FontName = QStringLiteral(u"ＭＳ 明朝");
    const QByteArray bytes = encoded(document);
    QVERIFY(!bytes.isEmpty());
    if (!stored.isEmpty())
        QCOMPARE(bytes.mid(640, 2 + stored.size()),
                 QByteArray(1, char(stored.size())) + '\0' + stored);

    const DecodeResult result = decode(bytes);
    QVERIFY2(result.file, qPrintable(result.reason));
    QCOMPARE(result.file->document.item(0).Text, text);
    QCOMPARE(result.file->document.item(0).FontName, QStringLiteral(u"ＭＳ 明朝"));
}

void TestLabelFileCodec::lookAlikesAreStoredAsCodePageCharacters() {
    LabelDocument document = workedExample();
    // Wave dash, minus sign, double vertical line, em dash, yen sign as input methods type them.
    document.item(0).Text = QStringLiteral(u"\u301C\u2212\u2016\u2014\u00A5");
    const QByteArray bytes = encoded(document);
    QCOMPARE(bytes.mid(640, 11), hex("0900 8160 817c 8161 815c 5c"));
    const DecodeResult result = decode(bytes);
    QVERIFY(result.file);
    QCOMPARE(result.file->document.item(0).Text, QStringLiteral(u"\uFF5E\uFF0D\u2225\u2015\\"));
}

void TestLabelFileCodec::writerRefuses_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("fontName");
    QTest::addColumn<int>("textCount");
    QTest::addColumn<int>("selectedText");
    QTest::addColumn<int>("scaleStep");
    QTest::addColumn<float>("left");
    QTest::addColumn<QString>("reasonPart");
    const float nan = std::numeric_limits<float>::quiet_NaN();
    QTest::newRow("emoji") << QStringLiteral(u"ok \U0001F600") << QStringLiteral("F") << 1 << -1
                           << 0 << 1.0f << QStringLiteral(u"U+1F600");
    QTest::newRow("e acute") << QStringLiteral(u"café") << QStringLiteral("F") << 1 << -1 << 0
                             << 1.0f << QStringLiteral(u"\"é\" (U+00E9)");
    QTest::newRow("lone surrogate")
        << (QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b")) << QStringLiteral("F") << 1
        << -1 << 0 << 1.0f << QStringLiteral("U+D800");
    QTest::newRow("font name") << QStringLiteral("abc") << QStringLiteral(u"Noto Sans ✓") << 1 << -1
                               << 0 << 1.0f << QStringLiteral("font name");
    QTest::newRow("100-byte text, 1-byte font")
        << QString(50, QChar(u'あ')) << QStringLiteral("F") << 1 << -1 << 0 << 1.0f
        << QStringLiteral("101 bytes");
    QTest::newRow("126-byte text") << QString(126, QChar(u'x')) << QStringLiteral("") << 1 << -1
                                   << 0 << 1.0f << QStringLiteral("126 bytes");
    QTest::newRow("101 items") << QStringLiteral("abc") << QStringLiteral("F") << 101 << -1 << 0
                               << 1.0f << QStringLiteral("text count 101");
    QTest::newRow("selection past count") << QStringLiteral("abc") << QStringLiteral("F") << 1 << 1
                                          << 0 << 1.0f << QStringLiteral("selected item 1");
    QTest::newRow("selection below -1") << QStringLiteral("abc") << QStringLiteral("F") << 1 << -2
                                        << 0 << 1.0f << QStringLiteral("selected item -2");
    QTest::newRow("scale step") << QStringLiteral("abc") << QStringLiteral("F") << 1 << -1 << 101
                                << 1.0f << QStringLiteral("scale step 101");
    QTest::newRow("not a number") << QStringLiteral("abc") << QStringLiteral("F") << 1 << -1 << 0
                                  << nan << QStringLiteral("Left");
}

void TestLabelFileCodec::writerRefuses() {
    QFETCH(QString, text);
    QFETCH(QString, fontName);
    QFETCH(int, textCount);
    QFETCH(int, selectedText);
    QFETCH(int, scaleStep);
    QFETCH(float, left);
    QFETCH(QString, reasonPart);
    LabelDocument document;
    document.TextItems.resize(std::size_t(textCount));
    document.SelectedText = selectedText;
    for (int i = 0; i < document.itemCount(); ++i)
        document.item(i) = makeItem(QStringLiteral("fine"), QStringLiteral("F"));
    // The bad item is the last one, so every item is checked before anything is produced.
    const int bad = textCount - 1;
    document.item(bad).Text = text;
    document.item(bad).FontName = fontName;
    document.item(bad).Left = left;

    const EncodeResult result = encode(document, std::int16_t(scaleStep), QByteArray("pic"));
    QVERIFY(!result.bytes);
    QVERIFY2(result.reason.contains(reasonPart), qPrintable(result.reason));
    QVERIFY(!result.reason.contains(u'\n'));
}

void TestLabelFileCodec::itemsFillingTheirRecordExactlyAreAccepted() {
    LabelDocument document = workedExample();
    document.item(0).Text = QString(49, QChar(u'あ')) + u'x'; // 99 bytes
    document.item(0).FontName = QStringLiteral("F");
    QVERIFY(itemProblem(document.item(0)).isEmpty());
    const QByteArray bytes = encoded(document);
    QCOMPARE(bytes.size(), 7 * RecordSize);
    QCOMPARE(bytes.mid(640 + 127, 1), QByteArray("F"));
    QVERIFY(decode(bytes).file);

    document.item(0).Text += u'x';
    QVERIFY(itemProblem(document.item(0)).contains(QStringLiteral("101 bytes")));
}

void TestLabelFileCodec::readerIgnoresPaddingAndTrailingBytes() {
    // Files written by earlier versions carry whatever their record buffer held after each value.
    QByteArray bytes = workedExampleBytes();
    for (int recordIndex = 0; recordIndex < 7; ++recordIndex) {
        for (int i = 100; i < RecordSize; ++i)
            bytes[recordIndex * RecordSize + i] = char(0xA5);
    }
    bytes.append("junk after the records, no picture");
    const DecodeResult result = decode(bytes);
    QVERIFY2(result.file, qPrintable(result.reason));
    compareDocuments(result.file->document, workedExample());
    QVERIFY(result.file->picture.isEmpty());
}

void TestLabelFileCodec::readerRefuses_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Refusal>("refusal");
    const QByteArray good = workedExampleBytes();
    auto patched = [&good](qsizetype offset, const QByteArray& value) {
        QByteArray bytes = good;
        bytes.replace(offset, value.size(), value);
        return bytes;
    };
    const QByteArray withPicture = encoded(workedExample(), 0, QByteArray(100, 'p'));

    QTest::newRow("empty file") << QByteArray() << Refusal::NotALabelFile;
    QTest::newRow("text file") << QByteArray("hello, world\n") << Refusal::NotALabelFile;
    QTest::newRow("case differs") << patched(2, "gyro") << Refusal::NotALabelFile;
    QTest::newRow("identification count 200") << patched(0, hex("c800")) << Refusal::NotALabelFile;
    QTest::newRow("identification count 126, other text")
        << patched(0, hex("7e00")) << Refusal::NotALabelFile;
    QTest::newRow("negative identification count")
        << patched(0, hex("ffff")) << Refusal::NotALabelFile;
    QTest::newRow("item text past its record") << patched(640, hex("7f00")) << Refusal::Damaged;
    QTest::newRow("font name past its record")
        << patched(640 + 29, hex("6200")) << Refusal::Damaged;
    QTest::newRow("negative string count") << patched(640, hex("ffff")) << Refusal::Damaged;
    QTest::newRow("cut inside identification") << good.left(12) << Refusal::Damaged;
    QTest::newRow("cut inside header") << good.left(300) << Refusal::Damaged;
    QTest::newRow("cut inside item") << good.left(660) << Refusal::Damaged;
    QTest::newRow("picture size missing") << good.left(768) << Refusal::Damaged;
    QTest::newRow("count 101") << patched(384, i32(101)) << Refusal::Damaged;
    QTest::newRow("count -1") << patched(384, i32(-1)) << Refusal::Damaged;
    QTest::newRow("selection 1 of 1") << patched(512, i32(1)) << Refusal::Damaged;
    QTest::newRow("selection -2") << patched(512, i32(-2)) << Refusal::Damaged;
    QByteArray stepWithPicture = withPicture;
    stepWithPicture.replace(128, 2, hex("6500"));
    QTest::newRow("scale step 101 with a picture") << stepWithPicture << Refusal::Damaged;
    QTest::newRow("placement NaN") << patched(256, hex("0000c07f")) << Refusal::Damaged;
    QTest::newRow("item infinite") << patched(645, hex("0000807f")) << Refusal::Damaged;
    QTest::newRow("bad trail byte") << patched(642, hex("8220")) << Refusal::Damaged;
    QTest::newRow("lone lead byte") << patched(640 + 31, hex("82")) << Refusal::Damaged;
    QTest::newRow("negative picture size") << patched(768, i32(-5)) << Refusal::Damaged;
    QTest::newRow("picture promised, none there") << patched(768, i32(9)) << Refusal::Damaged;
    QTest::newRow("picture cut short")
        << withPicture.left(withPicture.size() - 1) << Refusal::Damaged;
}

void TestLabelFileCodec::readerRefuses() {
    QFETCH(QByteArray, bytes);
    QFETCH(Refusal, refusal);
    const DecodeResult result = decode(bytes);
    QVERIFY(!result.file);
    QCOMPARE(result.refusal, refusal);
    QVERIFY(!result.reason.isEmpty());
    QVERIFY(!result.reason.contains(u'\n'));
}

// The store reads only the first record of a file before deciding it is of another kind.
void TestLabelFileCodec::identificationAloneDecidesForeignFiles_data() {
    QTest::addColumn<QByteArray>("firstBytes");
    QTest::addColumn<Refusal>("refusal");
    const QByteArray first = workedExampleBytes().left(RecordSize);
    QTest::newRow("label") << first << Refusal::None;
    QTest::newRow("label cut inside") << first.left(10) << Refusal::Damaged;
    QTest::newRow("other kind") << QByteArray(RecordSize, 'x') << Refusal::NotALabelFile;
    QTest::newRow("zeros") << QByteArray(RecordSize, '\0') << Refusal::NotALabelFile;
}

void TestLabelFileCodec::identificationAloneDecidesForeignFiles() {
    QFETCH(QByteArray, firstBytes);
    QFETCH(Refusal, refusal);
    QCOMPARE(identify(firstBytes).refusal, refusal);
}

// The step only scales a picture, so without one a step out of range is no reason to refuse.
void TestLabelFileCodec::scaleStepWithoutPicture_data() {
    QTest::addColumn<int>("storedStep");
    QTest::addColumn<int>("readStep");
    QTest::newRow("in range") << -100 << -100;
    QTest::newRow("101") << 101 << 0;
    QTest::newRow("-32768") << -32768 << 0;
    QTest::newRow("32767") << 32767 << 0;
}

void TestLabelFileCodec::scaleStepWithoutPicture() {
    QFETCH(int, storedStep);
    QFETCH(int, readStep);
    QByteArray bytes = workedExampleBytes();
    qToLittleEndian(std::int16_t(storedStep), bytes.data() + RecordSize);
    const DecodeResult result = decode(bytes);
    QVERIFY2(result.file, qPrintable(result.reason));
    QCOMPARE(int(result.file->scaleStep), readStep);
}

namespace {

// Two laid-out items around a plain one: what the block holds, and what the records say.
LabelDocument laidOut() {
    LabelDocument document = workedExample();
    TextItem arc = makeItem(QStringLiteral("Summer Drive Mix"), QStringLiteral("DejaVu Sans"));
    arc.layout.kind = TextLayoutKind::Arc;
    arc.layout.radiusMm = 50;
    arc.layout.angleDeg = -35.5f;
    arc.layout.side = ArcSide::Inside;
    arc.layout.align = ArcAlign::End;
    arc.layout.spacingMm = 1.25f;
    TextItem turned = makeItem(QStringLiteral("side"), QStringLiteral("F"));
    turned.layout.rotationDeg = 90;
    TextItem vertical = makeItem(QStringLiteral("縦書き"), QStringLiteral("IPAGothic"));
    vertical.layout.kind = TextLayoutKind::Vertical;
    vertical.layout.uprightDigits = true;
    document.TextItems = {arc, document.item(0), turned, vertical};
    return document;
}

qsizetype blockAt(const QByteArray& bytes) {
    return bytes.indexOf(QByteArray(LayoutBlock::Magic, sizeof LayoutBlock::Magic));
}

// The block's checksum made right again after a byte of it was changed on purpose.
void resealBlock(QByteArray& bytes) {
    const qsizetype at = blockAt(bytes);
    const qsizetype length = LayoutBlock::encode(laidOut().TextItems, 0).size();
    const std::uint32_t crc = LayoutBlock::checksum(bytes.constData() + at + 18, length - 18);
    qToLittleEndian(crc, bytes.data() + at + 14);
}

} // namespace

// The layouts follow the last record, before the picture when there is one; the records alone
// read as the same document with every item straight, placed about where it shows.
void TestLabelFileCodec::layoutsRoundTripAfterTheRecords_data() {
    QTest::addColumn<QByteArray>("picture");
    QTest::newRow("no picture") << QByteArray();
    QTest::newRow("picture") << QByteArray(1000, 'p');
}

void TestLabelFileCodec::layoutsRoundTripAfterTheRecords() {
    QFETCH(QByteArray, picture);
    const LabelDocument document = laidOut();
    const QByteArray bytes = *encode(document, 0, picture).bytes;
    const qsizetype recordsEnd = (5 + 4 + 1) * RecordSize;
    QCOMPARE(blockAt(bytes), recordsEnd);
    if (!picture.isEmpty())
        QCOMPARE(bytes.mid(PictureOffset), picture);
    const DecodeResult read = decode(bytes);
    QVERIFY2(read.file, qPrintable(read.reason));
    QCOMPARE(read.file->document.TextItems, document.TextItems);
    QVERIFY(!read.file->layoutsDropped);

    // What a reader of the records alone sees: the block's bytes carry no meaning there.
    QByteArray recordsOnly = bytes;
    recordsOnly.replace(recordsEnd, 8, QByteArray(8, '\0'));
    const DecodeResult plain = decode(recordsOnly);
    QVERIFY(plain.file);
    for (int i = 0; i < 4; ++i) {
        QVERIFY(plain.file->document.item(i).layout.isPlain());
        QCOMPARE(plain.file->document.item(i).Text, document.item(i).Text);
    }
}

// Another program saved the records over the file and left the block behind: the items read
// straight, as the records say, and the reader is told so.
void TestLabelFileCodec::layoutBlockWhoseRecordsWereSavedAnewIsStale() {
    QByteArray bytes = *encode(laidOut(), 0, QByteArray()).bytes;
    bytes[5 * RecordSize + 2] = 'X'; // the first item's text, as edited there
    const DecodeResult read = decode(bytes);
    QVERIFY2(read.file, qPrintable(read.reason));
    QVERIFY(read.file->layoutsDropped);
    for (const TextItem& item : read.file->document.TextItems)
        QVERIFY(item.layout.isPlain());

    // Saved there with one item fewer: the block stays where it was, past the new records.
    LabelDocument fewer = laidOut();
    fewer.TextItems.pop_back();
    fewer.item(0).layout = TextLayout{};
    fewer.item(2).layout = TextLayout{};
    const QByteArray saved = *encode(fewer, 0, QByteArray()).bytes;
    QByteArray overwritten = *encode(laidOut(), 0, QByteArray()).bytes;
    overwritten.replace(0, saved.size(), saved);
    const DecodeResult after = decode(overwritten);
    QVERIFY(after.file && after.file->layoutsDropped);
    QCOMPARE(after.file->document.itemCount(), 3);
}

// A block that is there but wrong in itself: refused as damaged, never opened with its layouts
// dropped (the next save would lose them); one of a later version says so.
void TestLabelFileCodec::damagedLayoutBlocksAreRefused_data() {
    QTest::addColumn<int>("offset"); // from the block's start; -1 none
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("reseal");
    QTest::addColumn<int>("refusal");
    QTest::addColumn<QString>("reason");
    const int damaged = int(Refusal::Damaged);
    QTest::newRow("checksum") << 30 << QByteArray("\x7f") << false << damaged << "checksum";
    QTest::newRow("length past its room")
        << 10 << QByteArray("\x00\x00\x02\x00", 4) << false << damaged << "length";
    QTest::newRow("unknown kind") << 26 << QByteArray("\x09") << true << damaged << "kind 9";
    QTest::newRow("item past the count")
        << 24 << QByteArray("\x04\x00", 2) << true << damaged << "item 4 of 4";
    QTest::newRow("value out of range")
        << 28 << QByteArray("\x00\x00\x80\x7f", 4) << true << damaged << "out of range";
    QTest::newRow("later version") << 8 << QByteArray("\x02\x00", 2) << false
                                   << int(Refusal::NewerVersion) << "version 2";
}

void TestLabelFileCodec::damagedLayoutBlocksAreRefused() {
    QFETCH(int, offset);
    QFETCH(QByteArray, value);
    QFETCH(bool, reseal);
    QFETCH(int, refusal);
    QFETCH(QString, reason);
    QByteArray bytes = *encode(laidOut(), 0, QByteArray(1000, 'p')).bytes;
    bytes.replace(blockAt(bytes) + offset, value.size(), value);
    if (reseal)
        resealBlock(bytes);
    const DecodeResult read = decode(bytes);
    QVERIFY(!read.file);
    QCOMPARE(int(read.refusal), refusal);
    QVERIFY2(read.reason.contains(reason), qPrintable(read.reason));
}

QTEST_GUILESS_MAIN(TestLabelFileCodec)

#include "test_label_file_codec.moc"
