#include "platform/pictures/EmfSanitizer.h"

#include "platform/pictures/ByteReader.h"
#include "platform/pictures/PictureLimits.h"

#include <QRect>
#include <array>
#include <cmath>
#include <optional>

namespace EmfSanitizer {

namespace {

constexpr quint32 Signature = 0x464D4520; // " EMF"
constexpr qsizetype HeaderBytes = 88;
constexpr qsizetype EofBytes = 20;
constexpr qint64 MaxBitmapPixelsPerFile = 64'000'000;
constexpr quint32 StockObject = 0x80000000, LastStockObject = 0x13;
constexpr quint32 MaxTextCharacters = 32768;

enum Type : quint32 {
    Header = 1,
    PolyBezier = 2,
    Polygon = 3,
    Polyline = 4,
    PolyBezierTo = 5,
    PolylineTo = 6,
    PolyPolyline = 7,
    PolyPolygon = 8,
    SetWindowExt = 9,
    SetWindowOrg = 10,
    SetViewportExt = 11,
    SetViewportOrg = 12,
    SetBrushOrg = 13,
    Eof = 14,
    SetMapMode = 17,
    SetBkMode = 18,
    SetPolyFillMode = 19,
    SetRop2 = 20,
    SetStretchBltMode = 21,
    SetTextAlign = 22,
    SetTextColor = 24,
    SetBkColor = 25,
    MoveTo = 27,
    ExcludeClipRect = 29,
    IntersectClipRect = 30,
    ScaleViewportExt = 31,
    ScaleWindowExt = 32,
    SaveDc = 33,
    RestoreDc = 34,
    SetWorldTransform = 35,
    ModifyWorldTransform = 36,
    SelectObject = 37,
    CreatePen = 38,
    CreateBrush = 39,
    DeleteObject = 40,
    Ellipse = 42,
    Rectangle = 43,
    RoundRect = 44,
    Arc = 45,
    Chord = 46,
    Pie = 47,
    LineTo = 54,
    ArcTo = 55,
    SetArcDirection = 57,
    SetMiterLimit = 58,
    BeginPath = 59,
    EndPath = 60,
    CloseFigure = 61,
    FillPath = 62,
    StrokeAndFillPath = 63,
    StrokePath = 64,
    FlattenPath = 65,
    WidenPath = 66,
    SelectClipPath = 67,
    AbortPath = 68,
    ExtSelectClipRgn = 75,
    BitBlt = 76,
    StretchBlt = 77,
    SetDiBitsToDevice = 80,
    StretchDiBits = 81,
    ExtCreateFont = 82,
    ExtTextOutA = 83,
    ExtTextOutW = 84,
    PolyBezier16 = 85,
    Polygon16 = 86,
    Polyline16 = 87,
    PolyBezierTo16 = 88,
    PolylineTo16 = 89,
    PolyPolyline16 = 90,
    PolyPolygon16 = 91,
    CreateMonoBrush = 93,
    CreateDibPatternBrush = 94,
    ExtCreatePen = 95,
};

// The fixed part of each record kept, in bytes, by record type; 0 for records that are left out.
constexpr auto FixedSizes = [] {
    std::array<qsizetype, 96> sizes{};
    auto set = [&sizes](std::initializer_list<quint32> types, qsizetype size) {
        for (quint32 type : types)
            sizes[type] = size;
    };
    set({SaveDc, BeginPath, EndPath, CloseFigure, FlattenPath, WidenPath, AbortPath}, 8);
    set({SetMapMode, SetBkMode, SetPolyFillMode, SetRop2, SetStretchBltMode, SetTextAlign,
         SetTextColor, SetBkColor, SetMiterLimit, RestoreDc, SelectObject, DeleteObject,
         SelectClipPath, SetArcDirection},
        12);
    set({SetWindowExt, SetWindowOrg, SetViewportExt, SetViewportOrg, SetBrushOrg, MoveTo, LineTo,
         ExtSelectClipRgn},
        16);
    set({ExcludeClipRect, IntersectClipRect, ScaleViewportExt, ScaleWindowExt, Ellipse, Rectangle,
         CreateBrush, FillPath, StrokeAndFillPath, StrokePath},
        24);
    set({CreatePen, PolyBezier, Polygon, Polyline, PolyBezierTo, PolylineTo, PolyBezier16,
         Polygon16, Polyline16, PolyBezierTo16, PolylineTo16},
        28);
    set({SetWorldTransform, RoundRect, PolyPolyline, PolyPolygon, PolyPolyline16, PolyPolygon16,
         CreateMonoBrush, CreateDibPatternBrush},
        32);
    set({ModifyWorldTransform}, 36);
    set({Arc, Chord, Pie, ArcTo}, 40);
    set({ExtCreatePen}, 52);
    set({SetDiBitsToDevice, ExtTextOutA, ExtTextOutW}, 76);
    set({StretchDiBits}, 80);
    set({BitBlt}, 100);
    set({ExtCreateFont}, 12 + 92);
    set({StretchBlt}, 108);
    return sizes;
}();

qsizetype fixedSize(quint32 type) {
    return type < FixedSizes.size() ? FixedSizes[type] : 0;
}

// Checks the records one by one and collects the ones to keep.
class Rebuilder {
public:
    Rebuilder(int handles) : handles_(handles) {}

    // The record as it goes into the rebuilt file, or nothing to leave it out.
    std::optional<QByteArray> check(quint32 type, QByteArrayView record);
    bool bitmapBudgetExceeded() const { return bitmapPixels_ > MaxBitmapPixelsPerFile; }

private:
    bool handleOk(quint32 handle) const { return handle >= 1 && handle < quint32(handles_); }
    bool selectable(quint32 handle) const {
        return (handle & StockObject) ? (handle & ~StockObject) <= LastStockObject
                                      : handleOk(handle);
    }
    bool checkContent(quint32 type, ByteReader& r, qsizetype size);
    bool points(ByteReader& r, qsizetype size, int pointBytes, quint32 type);
    bool polyPoints(ByteReader& r, qsizetype size, int pointBytes);
    bool text(ByteReader& r, qsizetype size, int charBytes);
    bool bitmap(ByteReader& r, qsizetype size, qsizetype at, bool optional);
    bool clipRegion(ByteReader& r, qsizetype size);
    bool path(quint32 type);

    int handles_;
    qint64 bitmapPixels_ = 0;
    bool inPath_ = false;
    bool pathReady_ = false;
};

std::optional<QByteArray> Rebuilder::check(quint32 type, QByteArrayView record) {
    const qsizetype fixed = fixedSize(type);
    if (fixed == 0 || record.size() < fixed)
        return std::nullopt;
    ByteReader r(record);
    if (!checkContent(type, r, record.size()) || !r.ok())
        return std::nullopt;
    QByteArray kept = record.toByteArray();
    if (type == ExtCreateFont) {
        // The converter reads the long form of the font record and the face name up to its
        // terminator: pad the short form and terminate the name.
        constexpr qsizetype LongForm = 12 + 320, FaceEnd = 12 + 92;
        if (kept.size() < LongForm) {
            kept.append(QByteArray(LongForm - kept.size(), '\0'));
            kept[4] = char(LongForm & 0xFF);
            kept[5] = char((LongForm >> 8) & 0xFF);
        }
        kept[FaceEnd - 2] = kept[FaceEnd - 1] = '\0';
    }
    return kept;
}

bool Rebuilder::checkContent(quint32 type, ByteReader& r, qsizetype size) {
    switch (type) {
    case SetWindowExt:
    case SetViewportExt:
        return r.i32(8) != 0 && r.i32(12) != 0;
    case ScaleViewportExt:
    case ScaleWindowExt:
        return r.i32(8) != 0 && r.i32(12) != 0 && r.i32(16) != 0 && r.i32(20) != 0;
    case RestoreDc:
        return r.i32(8) < 0 && r.i32(8) > -1024;
    case SetWorldTransform:
    case ModifyWorldTransform:
        for (int i = 0; i < 6; ++i)
            if (!std::isfinite(r.f32(8 + 4 * i)) || std::abs(r.f32(8 + 4 * i)) > 1e7f)
                return false;
        return type == SetWorldTransform || (r.u32(32) >= 1 && r.u32(32) <= 4);
    case SetMiterLimit:
        return r.u32(8) <= 1000;
    case SelectObject:
        return selectable(r.u32(8));
    case DeleteObject:
        return handleOk(r.u32(8));
    case CreatePen:
    case CreateBrush:
    case ExtCreateFont:
        return handleOk(r.u32(8));
    case CreateMonoBrush:
    case CreateDibPatternBrush:
        return handleOk(r.u32(8)) && r.u32(12) == 0 && bitmap(r, size, 16, false);
    case ExtCreatePen:
        // Solid, hollow or hatched pens only: pattern pens carry a bitmap.
        return handleOk(r.u32(8)) && r.u32(16) == 0 && r.u32(36) <= 2 && r.u32(48) <= 16 &&
               52 + 4 * qsizetype(r.u32(48)) <= size;
    case PolyBezier:
    case Polygon:
    case Polyline:
    case PolyBezierTo:
    case PolylineTo:
        return points(r, size, 8, type);
    case PolyBezier16:
    case Polygon16:
    case Polyline16:
    case PolyBezierTo16:
    case PolylineTo16:
        return points(r, size, 4, type);
    case PolyPolyline:
    case PolyPolygon:
        return polyPoints(r, size, 8);
    case PolyPolyline16:
    case PolyPolygon16:
        return polyPoints(r, size, 4);
    case ExtTextOutA:
        return text(r, size, 1);
    case ExtTextOutW:
        return text(r, size, 2);
    case StretchDiBits:
    case SetDiBitsToDevice:
        return r.u32(64) == 0 && bitmap(r, size, 48, false);
    case BitBlt:
    case StretchBlt:
        return r.u32(80) == 0 && bitmap(r, size, 84, true);
    case ExtSelectClipRgn:
        return clipRegion(r, size);
    case BeginPath:
    case EndPath:
    case AbortPath:
    case FillPath:
    case StrokeAndFillPath:
    case StrokePath:
    case FlattenPath:
    case WidenPath:
    case SelectClipPath:
    case CloseFigure:
        return path(type);
    default:
        return true;
    }
}

// Path records only where a path is being built or has been ended, as the converter expects.
bool Rebuilder::path(quint32 type) {
    switch (type) {
    case BeginPath:
        inPath_ = true;
        pathReady_ = false;
        return true;
    case EndPath:
        if (!inPath_)
            return false;
        inPath_ = false;
        pathReady_ = true;
        return true;
    case AbortPath:
        inPath_ = pathReady_ = false;
        return true;
    case CloseFigure:
        return inPath_;
    case FlattenPath:
    case WidenPath:
        return pathReady_;
    default: // fill, stroke, clip: use up the path
        if (!pathReady_)
            return false;
        pathReady_ = false;
        return true;
    }
}

bool Rebuilder::points(ByteReader& r, qsizetype size, int pointBytes, quint32 type) {
    const quint32 count = r.u32(24);
    if (count == 0 || qint64(count) * pointBytes > size - 28)
        return false;
    if (type == PolyBezier || type == PolyBezier16)
        return (count - 1) % 3 == 0;
    if (type == PolyBezierTo || type == PolyBezierTo16)
        return count % 3 == 0;
    return true;
}

bool Rebuilder::polyPoints(ByteReader& r, qsizetype size, int pointBytes) {
    const quint32 polygons = r.u32(24), count = r.u32(28);
    if (polygons == 0 || qint64(polygons) * 4 > size - 32)
        return false;
    const qsizetype pointsAt = 32 + qsizetype(polygons) * 4;
    if (qint64(count) * pointBytes > size - pointsAt)
        return false;
    quint64 sum = 0;
    for (quint32 i = 0; i < polygons; ++i)
        sum += r.u32(32 + 4 * qsizetype(i));
    return sum == count;
}

// ExtTextOut: the string and the spacing array lie inside the record.
bool Rebuilder::text(ByteReader& r, qsizetype size, int charBytes) {
    constexpr quint32 PerCharacterY = 0x2000, GlyphIndices = 0x0010;
    const quint32 mode = r.u32(24);
    if ((mode != 1 && mode != 2) || !std::isfinite(r.f32(28)) || !std::isfinite(r.f32(32)))
        return false;
    const quint32 count = r.u32(44), stringAt = r.u32(48), options = r.u32(52), dxAt = r.u32(72);
    // Glyph numbers instead of characters: the converter looks them up through the font
    // configuration and then shuts that down under the editor's feet. Such text is left out.
    if (count > MaxTextCharacters || (options & GlyphIndices))
        return false;
    if (count == 0)
        return true;
    const qint64 dxBytes = qint64(count) * 4 * ((options & PerCharacterY) ? 2 : 1);
    return stringAt >= 76 && qint64(stringAt) + qint64(count) * charBytes <= size && dxAt >= 76 &&
           qint64(dxAt) + dxBytes <= size;
}

// A bitmap's header, colour table and bits: described by four fields from `at` (offset and size
// of the header, offset and size of the bits), all inside the record and consistent.
bool Rebuilder::bitmap(ByteReader& r, qsizetype size, qsizetype at, bool optional) {
    const qint64 infoAt = r.u32(at), infoBytes = r.u32(at + 4);
    const qint64 bitsAt = r.u32(at + 8), bitsBytes = r.u32(at + 12);
    if (optional && infoBytes == 0 && bitsBytes == 0)
        return true;
    if (infoBytes < 40 || infoAt < at + 16 || infoAt + infoBytes > size || bitsAt < at + 16 ||
        bitsAt + bitsBytes > size)
        return false;
    const quint32 headerBytes = r.u32(infoAt);
    const qint64 width = r.i32(infoAt + 4), height = std::abs(qint64(r.i32(infoAt + 8)));
    const int planes = r.u16(infoAt + 12), bits = r.u16(infoAt + 14);
    const quint32 compression = r.u32(infoAt + 16), used = r.u32(infoAt + 32);
    const bool depthOk = compression == 0 ? (bits == 1 || bits == 4 || bits == 8 || bits == 16 ||
                                             bits == 24 || bits == 32)
                                          : compression == 3 && (bits == 16 || bits == 32);
    if ((headerBytes != 40 && headerBytes != 108 && headerBytes != 124) ||
        headerBytes > infoBytes || width <= 0 || height <= 0 || planes != 1 || !depthOk)
        return false;
    const qint64 pixels = width * height;
    bitmapPixels_ += pixels;
    if (pixels > PictureLimits::MaxMetafilePixels || bitmapBudgetExceeded())
        return false;
    const qint64 tableColours = bits <= 8 ? (used == 0 ? (1 << bits) : used) : used;
    if (bits <= 8 && used > quint32(1 << bits))
        return false;
    const qint64 masks = (compression == 3 && headerBytes == 40) ? 12 : 0;
    if (headerBytes + masks + tableColours * 4 > infoBytes)
        return false;
    const qint64 stride = ((width * bits + 31) / 32) * 4;
    return stride * height <= bitsBytes;
}

bool Rebuilder::clipRegion(ByteReader& r, qsizetype size) {
    const qint64 dataBytes = r.u32(8);
    const quint32 mode = r.u32(12);
    if (mode < 1 || mode > 5)
        return false;
    if (dataBytes == 0)
        return mode == 5; // copy with no region: clipping off
    if (dataBytes < 32 || 16 + dataBytes > size || r.u32(16) != 32 || r.u32(20) != 1)
        return false;
    const qint64 rectangles = r.u32(24);
    return rectangles * 16 <= dataBytes - 32;
}

struct HeaderInfo {
    QSizeF naturalMm;
    QRect boundsDevice; // the frame in device units: the converter's drawing area
    int handles = 1;
    qsizetype size = HeaderBytes;
};

std::optional<HeaderInfo> readHeader(ByteReader& r, QString& reason) {
    HeaderInfo info;
    info.size = r.u32(4);
    const qint64 deviceX = r.i32(72), deviceY = r.i32(76), mmX = r.i32(80), mmY = r.i32(84);
    const qint64 frameW = qint64(r.i32(32)) - r.i32(24), frameH = qint64(r.i32(36)) - r.i32(28);
    info.handles = std::max<int>(1, r.u16(56));
    if (!r.ok() || info.size < HeaderBytes || info.size % 4 != 0 || !r.has(0, info.size)) {
        reason = QStringLiteral("damaged enhanced metafile header");
        return std::nullopt;
    }
    constexpr qint64 MaxDevice = 1'000'000, MaxFrame = 10'000'000; // 100 m
    if (deviceX <= 0 || deviceY <= 0 || mmX <= 0 || mmY <= 0 || deviceX > MaxDevice ||
        deviceY > MaxDevice || mmX > MaxDevice || mmY > MaxDevice || frameW <= 0 || frameH <= 0 ||
        frameW > MaxFrame || frameH > MaxFrame) {
        reason = QStringLiteral("enhanced metafile without a usable frame or device size");
        return std::nullopt;
    }
    info.naturalMm = QSizeF(frameW / 100.0, frameH / 100.0);
    const double pxPerMmX = double(deviceX) / mmX, pxPerMmY = double(deviceY) / mmY;
    const double left = r.i32(24) / 100.0 * pxPerMmX, top = r.i32(28) / 100.0 * pxPerMmY;
    const int widthPx = std::max(1, int(std::lround(info.naturalMm.width() * pxPerMmX)));
    const int heightPx = std::max(1, int(std::lround(info.naturalMm.height() * pxPerMmY)));
    info.boundsDevice = QRect(int(std::lround(left)), int(std::lround(top)), widthPx, heightPx);
    return info;
}

void putU32(QByteArray& bytes, qsizetype at, quint32 value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

QByteArray rebuiltHeader(QByteArrayView original, const HeaderInfo& info) {
    QByteArray header = original.first(HeaderBytes).toByteArray();
    putU32(header, 4, HeaderBytes);
    putU32(header, 8, quint32(info.boundsDevice.left()));
    putU32(header, 12, quint32(info.boundsDevice.top()));
    putU32(header, 16, quint32(info.boundsDevice.left() + info.boundsDevice.width()));
    putU32(header, 20, quint32(info.boundsDevice.top() + info.boundsDevice.height()));
    putU32(header, 60, 0); // no description
    putU32(header, 64, 0);
    return header;
}

QByteArray endOfFile() {
    QByteArray eof(EofBytes, '\0');
    putU32(eof, 0, Eof);
    putU32(eof, 4, EofBytes);
    putU32(eof, 12, 16);
    putU32(eof, 16, EofBytes);
    return eof;
}

} // namespace

bool recognises(QByteArrayView bytes) {
    ByteReader r(bytes);
    return r.u32(0) == Header && r.u32(40) == Signature;
}

Result sanitize(QByteArrayView bytes) {
    auto refuse = [](const QString& reason) { return Result{QByteArray(), QSizeF(), reason}; };
    if (!recognises(bytes))
        return refuse(QStringLiteral("not an enhanced metafile"));
    if (bytes.size() > PictureLimits::MaxMetafileBytes)
        return refuse(QStringLiteral("enhanced metafile too large"));
    ByteReader r(bytes);
    QString reason;
    const std::optional<HeaderInfo> header = readHeader(r, reason);
    if (!header)
        return refuse(reason);

    QByteArray out = rebuiltHeader(bytes, *header);
    Rebuilder rebuilder(header->handles);
    qsizetype pos = header->size;
    quint32 records = 1;
    for (int count = 0;; ++count) {
        const quint32 type = r.u32(pos), size = r.u32(pos + 4);
        if (!r.ok() || size < 8 || size % 4 != 0 || !r.has(pos, size))
            return refuse(QStringLiteral("enhanced metafile cut short or damaged"));
        if (count >= PictureLimits::MaxEmfRecords)
            return refuse(QStringLiteral("enhanced metafile has too many records"));
        if (type == Eof)
            break;
        if (type == Header)
            return refuse(QStringLiteral("enhanced metafile with a second header"));
        if (std::optional<QByteArray> kept = rebuilder.check(type, bytes.sliced(pos, size))) {
            out.append(*kept);
            ++records;
        }
        if (rebuilder.bitmapBudgetExceeded())
            return refuse(QStringLiteral("enhanced metafile holds too many bitmap pixels"));
        pos += size;
    }
    out.append(endOfFile());
    putU32(out, 48, quint32(out.size()));
    putU32(out, 52, records + 1);
    return Result{out, header->naturalMm, QString()};
}

} // namespace EmfSanitizer
