#include "platform/pictures/WmfPlayer.h"

#include "platform/Units.h"

#include "platform/pictures/BmpDecoder.h"
#include "platform/pictures/ByteReader.h"
#include "platform/pictures/MetafileRaster.h"
#include "platform/pictures/WmfCanvas.h"

#include <optional>

namespace WmfPlayer {

namespace {

constexpr quint32 PlaceableKey = 0x9AC6CDD7;
constexpr qsizetype PlaceableBytes = 22;
constexpr qsizetype HeaderBytes = 18;
constexpr qint64 MinWorkBudget = 20'000'000;
constexpr qint64 WorkPerPixel = 100; // a hundred full-canvas fills

struct Header {
    QRectF frame; // logical units
    double unitsPerInch = 1440;
    int objectCount = 0;
};

bool standardHeaderAt(ByteReader& reader, qsizetype at) {
    const int type = reader.u16(at), words = reader.u16(at + 2), version = reader.u16(at + 4);
    return reader.ok() && (type == 1 || type == 2) && words == HeaderBytes / 2 &&
           (version == 0x0100 || version == 0x0300);
}

std::optional<Header> readHeader(ByteReader& reader, QString& reason) {
    if (reader.u32(0) != PlaceableKey) {
        reason = standardHeaderAt(reader, 0)
                     ? QStringLiteral("Windows metafile without a placeable header (no size)")
                     : QStringLiteral("not a Windows metafile");
        return std::nullopt;
    }
    const int left = reader.i16(6), top = reader.i16(8), right = reader.i16(10),
              bottom = reader.i16(12);
    const int inch = reader.u16(14);
    if (!standardHeaderAt(reader, PlaceableBytes)) {
        reason = QStringLiteral("damaged Windows metafile header");
        return std::nullopt;
    }
    Header header;
    header.frame = QRectF(QPointF(left, top), QPointF(right, bottom)).normalized();
    header.unitsPerInch = inch;
    header.objectCount = reader.u16(PlaceableBytes + 10);
    if (header.frame.isEmpty() || inch == 0) {
        reason = QStringLiteral("Windows metafile with an empty frame");
        return std::nullopt;
    }
    return header;
}

// One record's parameters, read as the 16-bit words they are stored as.
class Record {
public:
    explicit Record(QByteArrayView bytes) : bytes_(bytes), reader_(bytes) {}

    qsizetype size() const { return bytes_.size(); }
    int word(int index) { return reader_.i16(6 + 2 * qsizetype(index)); }
    int uword(int index) { return reader_.u16(6 + 2 * qsizetype(index)); }
    quint32 dword(int index) { return reader_.u32(6 + 2 * qsizetype(index)); }
    ByteReader& reader() { return reader_; }
    QByteArrayView from(qsizetype offset) const {
        return offset <= bytes_.size() ? bytes_.sliced(offset) : QByteArrayView();
    }
    // The rectangle stored as bottom, right, top, left from word `first`.
    QRectF rect(int first) {
        return QRectF(QPointF(word(first + 3), word(first + 2)),
                      QPointF(word(first + 1), word(first)));
    }
    QPointF point(int yWord) { return QPointF(word(yWord + 1), word(yWord)); }

private:
    QByteArrayView bytes_;
    ByteReader reader_;
};

QList<QPointF> readPoints(Record& record, qsizetype offset, int count) {
    QList<QPointF> points;
    if (!record.reader().has(offset, qsizetype(count) * 4))
        return points;
    points.reserve(count);
    for (int i = 0; i < count; ++i) {
        const qsizetype at = offset + qsizetype(i) * 4;
        points.append(QPointF(record.reader().i16(at), record.reader().i16(at + 2)));
    }
    return points;
}

// Plays one record onto the canvas. Records this player does not draw are skipped.
class RecordPlayer {
public:
    RecordPlayer(WmfCanvas& canvas, qint64 maxBitmapPixels)
        : canvas_(canvas), maxBitmapPixels_(maxBitmapPixels) {}

    void play(int function, Record& record);

private:
    bool playState(int function, Record& record);
    bool playMapping(int function, Record& record);
    bool playObject(int function, Record& record);
    bool playShape(int function, Record& record);
    bool playBitmap(int function, Record& record);
    bool playText(int function, Record& record);
    void polyPolygon(Record& record);
    void createFont(Record& record);
    void createPatternBrush(Record& record);
    void textOut(Record& record);
    void extTextOut(Record& record);
    void bitmap(QByteArrayView dib, QRectF source, const QRectF& dest, quint32 rop);

    WmfCanvas& canvas_;
    qint64 maxBitmapPixels_;
};

void RecordPlayer::play(int function, Record& record) {
    playState(function, record) || playMapping(function, record) || playObject(function, record) ||
        playShape(function, record) || playBitmap(function, record) || playText(function, record);
}

bool RecordPlayer::playState(int function, Record& record) {
    Wmf::DeviceContext& dc = canvas_.dc();
    switch (function) {
    case 0x001E:
        canvas_.saveDc();
        return true;
    case 0x0127:
        canvas_.restoreDc(record.word(0));
        return true;
    case 0x0201:
        dc.backgroundColor = Wmf::colorRef(record.dword(0));
        return true;
    case 0x0209:
        dc.textColor = Wmf::colorRef(record.dword(0));
        return true;
    case 0x0102:
        dc.backgroundMode = record.uword(0);
        return true;
    case 0x0106:
        dc.polyFillMode = record.uword(0);
        return true;
    case 0x012E:
        dc.textAlign = record.uword(0);
        return true;
    case 0x0416:
        canvas_.intersectClip(record.rect(0));
        return true;
    case 0x0415:
        canvas_.excludeClip(record.rect(0));
        return true;
    default:
        return false;
    }
}

bool RecordPlayer::playMapping(int function, Record& record) {
    Wmf::DeviceContext& dc = canvas_.dc();
    const int y = record.word(0), x = record.word(1);
    switch (function) {
    case 0x020B:
        canvas_.setWindowOrg(x, y);
        return true;
    case 0x020C:
        canvas_.setWindowExt(x, y);
        return true;
    case 0x020D:
        canvas_.setViewportOrg(x, y);
        return true;
    case 0x020E:
        canvas_.setViewportExt(x, y);
        return true;
    case 0x020F:
        canvas_.setWindowOrg(dc.windowOrg.x() + x, dc.windowOrg.y() + y);
        return true;
    case 0x0211:
        canvas_.offsetViewportOrg(x, y);
        return true;
    case 0x0410: // y denominator, y numerator, x denominator, x numerator
        canvas_.scaleWindowExt(record.word(3), record.word(2), record.word(1), record.word(0));
        return true;
    case 0x0412:
        canvas_.scaleViewportExt(record.word(3), record.word(2), record.word(1), record.word(0));
        return true;
    default:
        return false;
    }
}

bool RecordPlayer::playObject(int function, Record& record) {
    switch (function) {
    case 0x02FA: { // pen: style, width (x, y), colour
        canvas_.createObject(
            Wmf::Pen{record.uword(0), record.word(1), Wmf::colorRef(record.dword(3))});
        return true;
    }
    case 0x02FC: { // brush: style, colour, hatch
        canvas_.createObject(
            Wmf::Brush{record.uword(0), Wmf::colorRef(record.dword(1)), record.uword(3), QImage()});
        return true;
    }
    case 0x02FB:
        createFont(record);
        return true;
    case 0x0142:
        createPatternBrush(record);
        return true;
    case 0x01F9:
        canvas_.createObject(Wmf::Brush{Wmf::BrushNull, Qt::white, 0, QImage()});
        return true;
    case 0x00F7: // palette
    case 0x06FF:
        canvas_.createObject(Wmf::OtherObject{});
        return true; // region
    case 0x012D:
        canvas_.selectObject(record.uword(0));
        return true;
    case 0x01F0:
        canvas_.deleteObject(record.uword(0));
        return true;
    default:
        return false;
    }
}

void RecordPlayer::createFont(Record& record) {
    ByteReader& reader = record.reader();
    Wmf::Font font;
    font.heightLogical = reader.i16(6);
    font.widthLogical = reader.i16(8);
    font.escapementTenths = reader.i16(10);
    font.weight = reader.i16(14);
    font.italic = reader.u8(16) != 0;
    font.underline = reader.u8(17) != 0;
    font.strikeOut = reader.u8(18) != 0;
    font.charset = reader.u8(19);
    QByteArrayView face = record.from(24).first(std::min<qsizetype>(32, record.from(24).size()));
    if (const qsizetype end = face.indexOf('\0'); end >= 0)
        face = face.first(end);
    // The face name is stored in the font's own character set.
    font.face = WmfCanvas::decode(face, font.charset, nullptr);
    canvas_.createObject(font);
}

void RecordPlayer::createPatternBrush(Record& record) {
    Wmf::Brush brush{Wmf::BrushPattern, Qt::black, 0, QImage()};
    const std::optional<QSize> size = BmpDecoder::claimedSize(record.from(10));
    if (size && canvas_.spend(qint64(size->width()) * std::abs(size->height())))
        brush.pattern = BmpDecoder::decodePackedDib(record.from(10), maxBitmapPixels_).image;
    canvas_.createObject(brush);
}

bool RecordPlayer::playShape(int function, Record& record) {
    switch (function) {
    case 0x0214:
        canvas_.moveTo(record.word(1), record.word(0));
        return true;
    case 0x0213:
        canvas_.lineTo(record.word(1), record.word(0));
        return true;
    case 0x041B:
        canvas_.rectangle(record.rect(0));
        return true;
    case 0x0418:
        canvas_.ellipse(record.rect(0));
        return true;
    case 0x061C:
        canvas_.roundRect(record.rect(2), record.word(1), record.word(0));
        return true;
    case 0x0817:
    case 0x081A:
    case 0x0830: {
        const auto kind = function == 0x0817   ? WmfCanvas::ArcKind::Arc
                          : function == 0x081A ? WmfCanvas::ArcKind::Pie
                                               : WmfCanvas::ArcKind::Chord;
        canvas_.arc(kind, record.rect(4), record.point(2), record.point(0));
        return true;
    }
    case 0x0324:
        canvas_.polygon(readPoints(record, 8, record.uword(0)));
        return true;
    case 0x0325:
        canvas_.polyline(readPoints(record, 8, record.uword(0)));
        return true;
    case 0x0538:
        polyPolygon(record);
        return true;
    case 0x041F:
        canvas_.setPixel(record.word(3), record.word(2), Wmf::colorRef(record.dword(0)));
        return true;
    case 0x061D: // raster operation, height, width, top, left
        canvas_.patBlt(record.dword(0),
                       QRectF(record.word(5), record.word(4), record.word(3), record.word(2)));
        return true;
    default:
        return false;
    }
}

void RecordPlayer::polyPolygon(Record& record) {
    const int polygons = record.uword(0);
    qsizetype offset = 8 + 2 * qsizetype(polygons);
    if (!record.reader().has(8, 2 * qsizetype(polygons)))
        return;
    QList<QList<QPointF>> all;
    for (int i = 0; i < polygons; ++i) {
        const int count = record.reader().u16(8 + 2 * qsizetype(i));
        QList<QPointF> points = readPoints(record, offset, count);
        if (points.size() != count)
            return; // counts that run past the record: nothing of it is drawn
        all.append(std::move(points));
        offset += qsizetype(count) * 4;
    }
    canvas_.polyPolygon(all);
}

bool RecordPlayer::playBitmap(int function, Record& record) {
    // A blit record without a bitmap is a fill with the brush; it is one word shorter than the
    // record's function number says the bitmap-less form is.
    const bool withoutBitmap = record.size() == 2 * ((function >> 8) + 3);
    switch (function) {
    case 0x0F43: // raster op, usage, source h, w, y, x, dest h, w, y, x, DIB
        if (record.uword(2) == 0)
            bitmap(record.from(28),
                   QRectF(record.word(6), record.word(5), record.word(4), record.word(3)),
                   QRectF(record.word(10), record.word(9), record.word(8), record.word(7)),
                   record.dword(0));
        return true;
    case 0x0B41: // raster op, source h, w, y, x, [reserved], dest h, w, y, x, [DIB]
        if (withoutBitmap)
            canvas_.patBlt(record.dword(0),
                           QRectF(record.word(10), record.word(9), record.word(8), record.word(7)));
        else
            bitmap(record.from(26),
                   QRectF(record.word(5), record.word(4), record.word(3), record.word(2)),
                   QRectF(record.word(9), record.word(8), record.word(7), record.word(6)),
                   record.dword(0));
        return true;
    case 0x0940: // raster op, source y, x, [reserved], h, w, dest y, x, [DIB]
        if (withoutBitmap)
            canvas_.patBlt(record.dword(0),
                           QRectF(record.word(8), record.word(7), record.word(6), record.word(5)));
        else
            bitmap(record.from(22),
                   QRectF(record.word(3), record.word(2), record.word(5), record.word(4)),
                   QRectF(record.word(7), record.word(6), record.word(5), record.word(4)),
                   record.dword(0));
        return true;
    case 0x0D33: // usage, scan count, start scan, source y, x, h, w, dest y, x, DIB
        if (record.uword(0) == 0)
            bitmap(record.from(24),
                   QRectF(record.word(4), record.word(3), record.word(6), record.word(5)),
                   QRectF(record.word(8), record.word(7), record.word(6), record.word(5)),
                   0x00CC0020);
        return true;
    default:
        return false;
    }
}

// `source` is in the bitmap's own pixels, its y measured from the bottom row for bitmaps stored
// bottom-up, as the system does.
void RecordPlayer::bitmap(QByteArrayView dib, QRectF source, const QRectF& dest, quint32 rop) {
    const std::optional<QSize> size = BmpDecoder::claimedSize(dib);
    if (!size || !canvas_.spend(qint64(size->width()) * std::abs(size->height())))
        return;
    const ImageResult decoded = BmpDecoder::decodePackedDib(dib, maxBitmapPixels_);
    if (!decoded.ok())
        return;
    const QImage& image = decoded.image;
    if (size->height() > 0)
        source.moveTop(image.height() - source.top() - source.height());
    source = source.normalized().intersected(QRectF(image.rect()));
    if (source.isEmpty())
        source = QRectF(image.rect());
    canvas_.drawBitmap(image, source, dest, rop);
}

bool RecordPlayer::playText(int function, Record& record) {
    if (function == 0x0521)
        textOut(record);
    else if (function == 0x0A32)
        extTextOut(record);
    else
        return false;
    return true;
}

void RecordPlayer::textOut(Record& record) {
    const int length = record.uword(0);
    const qsizetype padded = length + (length % 2);
    ByteReader& reader = record.reader();
    if (!reader.has(8, padded + 4))
        return;
    WmfCanvas::TextRun run;
    run.bytes = reader.slice(8, length);
    run.reference = QPointF(reader.i16(8 + padded + 2), reader.i16(8 + padded));
    canvas_.text(run);
}

void RecordPlayer::extTextOut(Record& record) {
    constexpr int Opaque = 0x0002, Clipped = 0x0004;
    ByteReader& reader = record.reader();
    const int count = record.uword(2), options = record.uword(3);
    qsizetype at = 14;
    WmfCanvas::TextRun run;
    run.reference = QPointF(record.word(1), record.word(0));
    if (options & (Opaque | Clipped)) {
        const QRectF rect(QPointF(reader.i16(14), reader.i16(16)),
                          QPointF(reader.i16(18), reader.i16(20)));
        if (options & Opaque)
            run.opaque = rect;
        if (options & Clipped)
            run.clip = rect;
        at += 8;
    }
    if (!reader.has(at, count))
        return;
    run.bytes = reader.slice(at, count);
    const qsizetype advancesAt = at + count + (count % 2);
    if (reader.has(advancesAt, 2 * qsizetype(count))) {
        for (int i = 0; i < count; ++i)
            run.advances.append(reader.i16(advancesAt + 2 * qsizetype(i)));
    }
    if (reader.ok())
        canvas_.text(run);
}

} // namespace

bool recognises(QByteArrayView bytes) {
    ByteReader reader(bytes);
    return reader.u32(0) == PlaceableKey || standardHeaderAt(reader, 0);
}

Result render(QByteArrayView bytes, qint64 maxPixels) {
    auto refuse = [](const QString& reason) { return Result{QImage(), QSizeF(), reason}; };
    if (bytes.size() > PictureLimits::MaxMetafileBytes)
        return refuse(QStringLiteral("Windows metafile too large"));
    ByteReader reader(bytes);
    QString reason;
    const std::optional<Header> header = readHeader(reader, reason);
    if (!header)
        return refuse(reason);

    const QSizeF naturalMm(header->frame.width() / header->unitsPerInch * Units::MmPerInch,
                           header->frame.height() / header->unitsPerInch * Units::MmPerInch);
    QImage image = MetafileRaster::canvas(MetafileRaster::sizeFor(naturalMm, maxPixels));
    if (image.isNull())
        return refuse(QStringLiteral("not enough memory to draw the metafile"));
    {
        const qint64 budget =
            std::max(MinWorkBudget, WorkPerPixel * image.width() * qint64(image.height()));
        WmfCanvas canvas(image, header->frame, header->unitsPerInch, header->objectCount, budget);
        RecordPlayer player(canvas, maxPixels);
        qsizetype pos = PlaceableBytes + HeaderBytes;
        for (int records = 0;; ++records) {
            const qint64 words = reader.u32(pos);
            const int function = reader.u16(pos + 4);
            if (!reader.ok() || words < 3 || !reader.has(pos, 2 * words))
                return refuse(QStringLiteral("Windows metafile cut short or damaged"));
            if (function == 0)
                break; // end of file
            if (records >= PictureLimits::MaxWmfRecords)
                return refuse(QStringLiteral("Windows metafile has too many records"));
            Record record(bytes.sliced(pos, 2 * words));
            player.play(function, record);
            if (canvas.exhausted())
                return refuse(QStringLiteral("Windows metafile too complex to draw"));
            pos += 2 * words;
        }
    }
    return Result{image, naturalMm, QString()};
}

} // namespace WmfPlayer
