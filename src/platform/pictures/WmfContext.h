#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRegion>
#include <QString>
#include <optional>
#include <variant>

// The graphics objects and the drawing state of a Windows metafile as its records describe them,
// in the metafile's logical units. Sizes are turned into pixels only when something is drawn,
// because the mapping may change between selecting an object and using it.
namespace Wmf {

enum PenStyle { PenSolid = 0, PenDash, PenDot, PenDashDot, PenDashDotDot, PenNull, PenInsideFrame };
enum BrushStyle { BrushSolid = 0, BrushNull = 1, BrushHatched = 2, BrushPattern = 3 };
enum BackgroundMode { Transparent = 1, Opaque = 2 };
enum TextAlign {
    AlignUpdateCp = 1,
    AlignRight = 2,
    AlignCenter = 6,
    AlignBottom = 8,
    AlignBaseline = 24
};
inline constexpr int ShiftJisCharset = 128;
inline constexpr int DefaultCharset = 1;

struct Pen {
    int style = PenSolid; // low bits: dash style; higher bits: end cap and join
    int widthLogical = 0; // 0: one pixel whatever the mapping
    QColor color = Qt::black;
};

struct Brush {
    int style = BrushSolid;
    QColor color = Qt::white;
    int hatch = 0;
    QImage pattern; // for pattern brushes
};

struct Font {
    int heightLogical = 0; // < 0: character height; > 0: cell height; 0: a default size
    int widthLogical = 0;
    int escapementTenths = 0;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charset = DefaultCharset;
    QString face;
};

// Palettes and regions take a slot in the object table but draw nothing here.
struct OtherObject {};

using Object = std::variant<std::monostate, Pen, Brush, Font, OtherObject>;

// The state SaveDC keeps and RestoreDC brings back.
struct DeviceContext {
    QPointF windowOrg{0, 0};
    QPointF windowExt{1, 1};
    QPointF viewportOrg{0, 0};
    QPointF viewportExt{1, 1};
    Pen pen;
    Brush brush;
    Font font;
    QColor textColor = Qt::black;
    QColor backgroundColor = Qt::white;
    int backgroundMode = Opaque;
    int textAlign = 0;
    int polyFillMode = 1; // alternate
    QPointF position{0, 0};
    std::optional<QRegion> clip; // device pixels; none: the whole canvas

    double scaleX() const { return viewportExt.x() / windowExt.x(); }
    double scaleY() const { return viewportExt.y() / windowExt.y(); }
};

// COLORREF: 0x00bbggrr.
inline QColor colorRef(quint32 value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

} // namespace Wmf
