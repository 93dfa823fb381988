#include "text/VerticalText.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <hb-ot.h>
#include <hb.h>
#include <map>
#include <memory>
#include <mutex>
#include <unicode/uchar.h>

namespace {

// A HarfBuzz face made from a QRawFont's own tables, so that the glyph indexes HarfBuzz gives
// are the ones Qt draws. Shared by every pixel size of the same font file.
struct Face {
    QRawFont source;
    // Each table is read from the font engine once, while the face is made where it can be, so
    // that shaping in another thread never reaches into the engine of the thread that made it.
    std::mutex tablesMutex;
    std::map<hb_tag_t, QByteArray> tables;
    hb_face_t* face = nullptr;
    hb_font_t* font = nullptr;
    int unitsPerEm = 1000;
    bool hasCmap = false;         // without one (Type 1 fonts) Qt's own glyph lookup is used
    bool verticalMetrics = false; // vhea and vmtx: vertical advances and origins
    hb_position_t ascent = 0;     // horizontal ascent and descent, font units, both positive
    hb_position_t descent = 0;

    explicit Face(const QRawFont& raw);
    ~Face() {
        hb_font_destroy(font);
        hb_face_destroy(face);
    }
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;
};

hb_blob_t* referenceTable(hb_face_t*, hb_tag_t tag, void* userData) {
    if (tag == 0) // the whole font file, which a QRawFont does not give
        return nullptr;
    auto* face = static_cast<Face*>(userData);
    const char name[5] = {char(tag >> 24), char(tag >> 16), char(tag >> 8), char(tag), 0};
    QByteArray* bytes = nullptr;
    {
        const std::lock_guard lock(face->tablesMutex);
        auto known = face->tables.find(tag);
        if (known == face->tables.end())
            known = face->tables.emplace(tag, face->source.fontTable(name)).first;
        bytes = new QByteArray(known->second);
    }
    if (bytes->isEmpty()) {
        delete bytes;
        return nullptr;
    }
    return hb_blob_create(bytes->constData(), uint(bytes->size()), HB_MEMORY_MODE_READONLY, bytes,
                          [](void* data) { delete static_cast<QByteArray*>(data); });
}

bool hasTable(hb_face_t* face, hb_tag_t tag) {
    hb_blob_t* blob = hb_face_reference_table(face, tag);
    const bool present = hb_blob_get_length(blob) > 0;
    hb_blob_destroy(blob);
    return present;
}

Face::Face(const QRawFont& raw) : source(raw) {
    face = hb_face_create_for_tables(referenceTable, this, nullptr);
    hasCmap = hasTable(face, HB_TAG('c', 'm', 'a', 'p'));
    verticalMetrics =
        hasTable(face, HB_TAG('v', 'h', 'e', 'a')) && hasTable(face, HB_TAG('v', 'm', 't', 'x'));
    unitsPerEm = int(std::max(1u, hb_face_get_upem(face)));
    font = hb_font_create(face);
    hb_font_extents_t extents{};
    hb_font_get_h_extents(font, &extents);
    ascent = extents.ascender;
    descent = -extents.descender;
    if (ascent <= 0 || descent < 0) { // no usable hhea: the usual ideographic split of the em
        ascent = unitsPerEm * 88 / 100;
        descent = unitsPerEm - ascent;
    }
    hb_font_make_immutable(font);
    // Shaping a character each way reads the tables shaping needs.
    hb_buffer_t* buffer = hb_buffer_create();
    for (const hb_direction_t direction : {HB_DIRECTION_TTB, HB_DIRECTION_LTR}) {
        hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t*>(u"「あA"), -1, 0, -1);
        hb_buffer_set_direction(buffer, direction);
        hb_buffer_guess_segment_properties(buffer);
        hb_shape(font, buffer, nullptr, 0);
        hb_buffer_clear_contents(buffer);
    }
    hb_buffer_destroy(buffer);
}

// Faces by font engine (one per pixel size) and by font file. Never destroyed: font engines must
// not outlive the application, so the cache is emptied when the application ends instead.
struct FaceCache {
    std::mutex mutex;
    std::vector<std::pair<QRawFont, std::shared_ptr<Face>>> byEngine;
    std::vector<std::pair<QByteArray, std::shared_ptr<Face>>> byFile;
};

FaceCache& faceCache() {
    static FaceCache* const cache = [] {
        auto* made = new FaceCache;
        qAddPostRoutine([] {
            const std::lock_guard lock(faceCache().mutex);
            faceCache().byEngine.clear();
            faceCache().byFile.clear();
        });
        return made;
    }();
    return *cache;
}

std::shared_ptr<Face> faceFor(const QRawFont& raw) {
    constexpr std::size_t MaxEngines = 64;
    // A face holds the tables shaping reads, the outlines among them (about 6 MB for a Japanese
    // font), so only a few font files are kept.
    constexpr std::size_t MaxFiles = 8;
    FaceCache& cache = faceCache();
    const std::lock_guard lock(cache.mutex);
    for (const auto& [engine, face] : cache.byEngine)
        if (engine == raw)
            return face;
    // The head table carries the file's checksum and dates: with the names it tells font files
    // apart without reading them.
    const QByteArray key =
        raw.familyName().toUtf8() + '\0' + raw.styleName().toUtf8() + '\0' + raw.fontTable("head");
    std::shared_ptr<Face> face;
    for (const auto& [file, known] : cache.byFile)
        if (file == key)
            face = known;
    if (!face) {
        face = std::make_shared<Face>(raw);
        if (cache.byFile.size() >= MaxFiles)
            cache.byFile.erase(cache.byFile.begin());
        cache.byFile.emplace_back(key, face);
    }
    if (cache.byEngine.size() >= MaxEngines)
        cache.byEngine.erase(cache.byEngine.begin());
    cache.byEngine.emplace_back(raw, face);
    return face;
}

// One font of the column with what laying out needs of it, in pixels.
struct FontUse {
    const QRawFont* raw = nullptr;
    std::shared_ptr<Face> face;
    qreal scale = 1; // pixels per font unit
    qreal ascent = 0;
    qreal descent = 0;
    bool verticalMetrics = false;

    quint32 nominalGlyph(char32_t character) const {
        if (face->hasCmap) {
            hb_codepoint_t glyph = 0;
            return hb_font_get_nominal_glyph(face->font, character, &glyph) ? glyph : 0;
        }
        const QString text = QString::fromUcs4(&character, 1);
        quint32 glyphs[2] = {0, 0};
        int count = 2;
        return raw->glyphIndexesForChars(text.constData(), int(text.size()), glyphs, &count)
                   ? glyphs[0]
                   : 0;
    }
    qreal horizontalAdvance(quint32 glyph) const {
        if (face->hasCmap)
            return hb_font_get_glyph_h_advance(face->font, glyph) * scale;
        return raw->advancesForGlyphIndexes(QList<quint32>{glyph}).value(0).x();
    }
};

// A shaped glyph in pixels, y downward.
struct Shaped {
    quint32 glyph;
    int cluster; // UTF-16 position of the first character it shows
    QPointF advance;
    QPointF offset;
};

hb_feature_t feature(hb_tag_t tag, unsigned value) {
    return hb_feature_t{tag, value, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END};
}

void shape(const FontUse& font, hb_buffer_t* buffer, const QString& text, int start, int length,
           bool vertical, const std::vector<hb_feature_t>& features, std::vector<Shaped>& out) {
    out.clear();
    if (!font.face->hasCmap) {
        // Qt's own look-up, one glyph per character, advancing across.
        for (int i = start; i < start + length;) {
            const int size = (text.at(i).isHighSurrogate() && i + 1 < start + length) ? 2 : 1;
            quint32 glyphs[2] = {0, 0};
            int count = 2;
            font.raw->glyphIndexesForChars(text.constData() + i, size, glyphs, &count);
            const qreal advance = font.horizontalAdvance(glyphs[0]);
            out.push_back(Shaped{glyphs[0], i, QPointF(advance, 0), QPointF()});
            i += size;
        }
        return;
    }
    hb_buffer_clear_contents(buffer);
    hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t*>(text.utf16()), int(text.size()),
                        uint(start), length);
    hb_buffer_set_direction(buffer, vertical ? HB_DIRECTION_TTB : HB_DIRECTION_LTR);
    static const hb_language_t japanese = hb_language_from_string("ja", 2);
    hb_buffer_set_language(buffer, japanese);
    hb_buffer_guess_segment_properties(buffer);
    hb_shape(font.face->font, buffer, features.data(), uint(features.size()));
    unsigned count = 0;
    const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
    out.reserve(count);
    const qreal s = font.scale;
    for (unsigned i = 0; i < count; ++i) {
        const hb_glyph_position_t& p = positions[i];
        out.push_back(Shaped{infos[i].codepoint, int(infos[i].cluster),
                             QPointF(p.x_advance * s, -p.y_advance * s),
                             QPointF(p.x_offset * s, -p.y_offset * s)});
    }
}

enum class Kind { Upright, Turned, Digits };

struct Grapheme {
    int start;
    int length;
    char32_t base;
    int orientation; // UVerticalOrientation of the base character
    Kind kind;
    int font;
};

bool isAsciiDigit(const Grapheme& g) {
    return g.length == 1 && g.base >= '0' && g.base <= '9';
}

// Punctuation set at the bottom left across and at the top right down the column.
bool isCornerPunctuation(char32_t c) {
    return c == 0x3001 || c == 0x3002 || c == 0xFF0C || c == 0xFF0E;
}

bool isSmallKana(char32_t c) {
    static constexpr char32_t small[] = {0x3041, 0x3043, 0x3045, 0x3047, 0x3049, 0x3063,
                                         0x3083, 0x3085, 0x3087, 0x308E, 0x3095, 0x3096,
                                         0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30C3,
                                         0x30E3, 0x30E5, 0x30E7, 0x30EE, 0x30F5, 0x30F6};
    return (c >= 0x31F0 && c <= 0x31FF) ||
           std::find(std::begin(small), std::end(small), c) != std::end(small);
}

std::vector<Grapheme> graphemes(const QString& text, const QList<QRawFont>& fonts,
                                bool uprightDigits) {
    std::vector<Grapheme> result;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int start = 0;
    for (qsizetype end = finder.toNextBoundary(); end > 0; end = finder.toNextBoundary()) {
        const QChar first = text.at(start);
        const char32_t base = first.isHighSurrogate() && start + 1 < end
                                  ? QChar::surrogateToUcs4(first, text.at(start + 1))
                                  : first.unicode();
        const int orientation = u_getIntPropertyValue(UChar32(base), UCHAR_VERTICAL_ORIENTATION);
        int font = 0;
        for (int i = 0; i < fonts.size(); ++i)
            if (fonts[i].isValid() && fonts[i].supportsCharacter(base)) {
                font = i;
                break;
            }
        result.push_back(Grapheme{start, int(end) - start, base, orientation,
                                  orientation == U_VO_ROTATED ? Kind::Turned : Kind::Upright,
                                  font});
        start = int(end);
    }
    if (uprightDigits) {
        for (std::size_t i = 0; i < result.size();) {
            std::size_t end = i;
            while (end < result.size() && isAsciiDigit(result[end]))
                ++end;
            if (end - i == 1 || end - i == 2)
                for (std::size_t j = i; j < end; ++j)
                    result[j].kind = Kind::Digits;
            i = std::max(end, i + 1);
        }
    }
    return result;
}

// Lays out one run of graphemes that share a kind and a font, each starting `top` (pixels, before
// the spacing between cells is added).
class ColumnBuilder {
public:
    ColumnBuilder(VerticalColumn& column, const QString& text, std::vector<FontUse>& fonts,
                  qreal spacing)
        : column(column), text(text), fonts(fonts), spacing(spacing),
          em(column.fonts.first().pixelSize()), buffer(hb_buffer_create()) {}
    ~ColumnBuilder() { hb_buffer_destroy(buffer); }
    ColumnBuilder(const ColumnBuilder&) = delete;
    ColumnBuilder& operator=(const ColumnBuilder&) = delete;

    void addRun(const Grapheme* first, const Grapheme* last);
    void finish();

private:
    void placeUpright(const Grapheme* first, const Grapheme* last, const FontUse& font);
    void placeTurned(const Grapheme* first, const Grapheme* last, const FontUse& font);
    void placeDigits(const Grapheme* first, const Grapheme* last, const FontUse& font);
    void uprightWithoutAlternate(const Grapheme& g, VerticalGlyph& glyph, const FontUse& font);
    int addCell(const Grapheme* first, const Grapheme* last, qreal advance, qreal halfWidth,
                bool turned);
    // Each grapheme's advance along the column; a glyph showing several graphemes (a ligature)
    // shares its advance among them.
    std::vector<qreal> advances(const Grapheme* first, const Grapheme* last, bool vertical) const;

    VerticalColumn& column;
    const QString& text;
    std::vector<FontUse>& fonts;
    qreal spacing;
    qreal em;
    qreal top = 0;
    hb_buffer_t* buffer;
    std::vector<Shaped> shaped;
    std::vector<hb_feature_t> features;
};

int ColumnBuilder::addCell(const Grapheme* first, const Grapheme* last, qreal advance,
                           qreal halfWidth, bool turned) {
    VerticalCell cell;
    cell.start = first->start;
    cell.length = last->start + last->length - first->start;
    cell.rect = QRectF(-halfWidth, top, 2 * halfWidth, advance);
    cell.turned = turned;
    column.cells.push_back(cell);
    top += advance;
    return int(column.cells.size()) - 1;
}

std::vector<qreal> ColumnBuilder::advances(const Grapheme* first, const Grapheme* last,
                                           bool vertical) const {
    const std::size_t count = std::size_t(last - first) + 1;
    std::vector<qreal> result(count, 0);
    std::vector<bool> shown(count, false);
    std::size_t g = 0;
    for (const Shaped& s : shaped) {
        while (g + 1 < count && first[g + 1].start <= s.cluster)
            ++g;
        while (g > 0 && first[g].start > s.cluster)
            --g;
        result[g] += vertical ? s.advance.y() : s.advance.x();
        shown[g] = true;
    }
    for (std::size_t i = 0; i < count;) {
        std::size_t end = i + 1;
        while (end < count && !shown[end])
            ++end;
        const qreal share = result[i] / qreal(end - i);
        for (std::size_t j = i; j < end; ++j)
            result[j] = share;
        i = end;
    }
    return result;
}

void ColumnBuilder::addRun(const Grapheme* first, const Grapheme* last) {
    const FontUse& font = fonts[std::size_t(first->font)];
    switch (first->kind) {
    case Kind::Upright:
        placeUpright(first, last, font);
        break;
    case Kind::Turned:
        placeTurned(first, last, font);
        break;
    case Kind::Digits:
        placeDigits(first, last, font);
        break;
    }
}

void ColumnBuilder::placeUpright(const Grapheme* first, const Grapheme* last, const FontUse& font) {
    features = {feature(HB_TAG('v', 'e', 'r', 't'), 1), feature(HB_TAG('v', 'r', 't', '2'), 1)};
    const bool vertical = font.verticalMetrics;
    const int start = first->start;
    shape(font, buffer, text, start, last->start + last->length - start, vertical, features,
          shaped);
    const std::vector<qreal> along = advances(first, last, vertical);
    const int firstCell = int(column.cells.size());
    for (const Grapheme* g = first; g <= last; ++g)
        addCell(g, g, vertical ? along[std::size_t(g - first)] : em, em / 2, false);

    // Glyphs in the order shaped, each with the cell of its first character.
    std::size_t glyphAt = 0;
    for (std::size_t gi = 0; gi <= std::size_t(last - first); ++gi) {
        const Grapheme& g = first[gi];
        const std::size_t begin = glyphAt;
        while (glyphAt < shaped.size() &&
               (gi == std::size_t(last - first) || shaped[glyphAt].cluster < first[gi + 1].start))
            ++glyphAt;
        const int cellIndex = firstCell + int(gi);
        const QRectF cell = column.cells[std::size_t(cellIndex)].rect;
        // Without vertical metrics a character's glyphs are centred across a cell one em high,
        // on the baseline that splits the em as the font's ascent and descent do.
        qreal width = 0;
        for (std::size_t i = begin; i < glyphAt; ++i)
            width += shaped[i].advance.x();
        QPointF pen =
            vertical
                ? QPointF(0, cell.top())
                : QPointF(-width / 2, cell.top() + em * font.ascent / (font.ascent + font.descent));
        for (std::size_t i = begin; i < glyphAt; ++i) {
            VerticalGlyph glyph;
            glyph.index = shaped[i].glyph;
            glyph.font = g.font;
            glyph.cell = cellIndex;
            glyph.origin = pen + shaped[i].offset;
            column.glyphs.push_back(glyph);
            pen += shaped[i].advance;
        }
        if (glyphAt - begin == 1 && g.length == QChar::requiresSurrogates(g.base) + 1)
            uprightWithoutAlternate(g, column.glyphs.back(), font);
    }
}

// A character that should change in vertical setting but for which the font has no vertical
// form: bars and brackets are turned, 、。 moved to the top right, small kana up and right.
void ColumnBuilder::uprightWithoutAlternate(const Grapheme& g, VerticalGlyph& glyph,
                                            const FontUse& font) {
    if (glyph.index != font.nominalGlyph(g.base))
        return;
    const QRectF cell = column.cells[std::size_t(glyph.cell)].rect;
    if (g.orientation == U_VO_TRANSFORMED_ROTATED) {
        glyph.turned = true;
        glyph.origin =
            QPointF((font.descent - font.ascent) / 2,
                    cell.top() + (cell.height() - font.horizontalAdvance(glyph.index)) / 2);
    } else if (isCornerPunctuation(g.base)) {
        // Mirrored through the cell's centre, as the vertical forms of fonts that have them are.
        const QRectF ink = font.raw->boundingRect(glyph.index).translated(glyph.origin);
        if (!ink.isEmpty())
            glyph.origin += QPointF(-(ink.left() + ink.right()),
                                    2 * cell.center().y() - (ink.top() + ink.bottom()));
    } else if (isSmallKana(g.base)) {
        glyph.origin += QPointF(em / 10, -em / 10);
    }
}

void ColumnBuilder::placeTurned(const Grapheme* first, const Grapheme* last, const FontUse& font) {
    // Ligatures would hide the spacing between their letters.
    features.clear();
    if (spacing != 0)
        features = {feature(HB_TAG('l', 'i', 'g', 'a'), 0), feature(HB_TAG('c', 'l', 'i', 'g'), 0)};
    const int start = first->start;
    shape(font, buffer, text, start, last->start + last->length - start, false, features, shaped);
    const std::vector<qreal> along = advances(first, last, false);
    const int firstCell = int(column.cells.size());
    const qreal runTop = top;
    const qreal halfWidth = (font.ascent + font.descent) / 2;
    for (const Grapheme* g = first; g <= last; ++g)
        addCell(g, g, along[std::size_t(g - first)], halfWidth, true);
    // The baseline runs down the column, left of the centre line so that the ascent and descent
    // are centred on it; the glyphs' tops face right.
    const qreal baselineX = (font.descent - font.ascent) / 2;
    qreal pen = 0;
    int cellIndex = firstCell;
    for (const Shaped& s : shaped) {
        while (cellIndex + 1 < int(column.cells.size()) &&
               column.cells[std::size_t(cellIndex) + 1].start <= s.cluster)
            ++cellIndex;
        VerticalGlyph glyph;
        glyph.index = s.glyph;
        glyph.font = first->font;
        glyph.cell = cellIndex;
        glyph.turned = true;
        glyph.origin = QPointF(baselineX - s.offset.y(), runTop + pen + s.offset.x());
        column.glyphs.push_back(glyph);
        pen += s.advance.x();
    }
}

void ColumnBuilder::placeDigits(const Grapheme* first, const Grapheme* last, const FontUse& font) {
    features.clear();
    if (first != last) // a pair: half-width forms where the font has them
        features = {feature(HB_TAG('h', 'w', 'i', 'd'), 1)};
    const int start = first->start;
    shape(font, buffer, text, start, last->start + last->length - start, false, features, shaped);
    qreal width = 0;
    for (const Shaped& s : shaped)
        width += s.advance.x();
    const qreal squeeze = width > em ? em / width : 1;
    const int cellIndex = addCell(first, last, em, em / 2, false);
    const QRectF cell = column.cells[std::size_t(cellIndex)].rect;
    // Side by side, centred across the cell, with the font's ascent and descent centred down it.
    QPointF pen(-width * squeeze / 2,
                cell.top() + (em - font.ascent - font.descent) / 2 + font.ascent);
    for (const Shaped& s : shaped) {
        VerticalGlyph glyph;
        glyph.index = s.glyph;
        glyph.font = first->font;
        glyph.cell = cellIndex;
        glyph.widthScale = squeeze;
        glyph.origin = pen + QPointF(s.offset.x() * squeeze, s.offset.y());
        column.glyphs.push_back(glyph);
        pen.rx() += s.advance.x() * squeeze;
    }
}

// Adds the spacing between cells, never so negative that a cell starts above the one before.
void ColumnBuilder::finish() {
    std::vector<qreal> shift(column.cells.size(), 0);
    for (std::size_t i = 1; i < column.cells.size(); ++i)
        shift[i] = shift[i - 1] + std::max(spacing, -column.cells[i - 1].rect.height());
    for (std::size_t i = 0; i < column.cells.size(); ++i)
        column.cells[i].rect.translate(0, shift[i]);
    for (VerticalGlyph& glyph : column.glyphs)
        glyph.origin.ry() += shift[std::size_t(glyph.cell)];
    QRectF extent(-em / 2, 0, em, 0);
    for (const VerticalCell& cell : column.cells)
        extent |= cell.rect;
    column.extent = extent;
}

} // namespace

QTransform VerticalGlyph::transform() const {
    QTransform t = QTransform::fromTranslate(origin.x(), origin.y());
    if (turned)
        t.rotate(90);
    if (widthScale != 1)
        t.scale(widthScale, 1);
    return t;
}

namespace VerticalText {

QList<QRawFont> fontsFor(const QFont& font, qreal pixelSize) {
    QRawFont primary = QRawFont::fromFont(font);
    primary.setPixelSize(pixelSize);
    QList<QRawFont> fonts{primary};
    QRawFont japanese = QRawFont::fromFont(font, QFontDatabase::Japanese);
    if (japanese.isValid() && japanese.familyName() != primary.familyName()) {
        japanese.setPixelSize(pixelSize);
        fonts.append(japanese);
    }
    return fonts;
}

VerticalColumn layout(const QList<QRawFont>& fonts, const QString& text,
                      const VerticalOptions& options) {
    VerticalColumn column;
    column.fonts = fonts;
    if (fonts.isEmpty() || !fonts.first().isValid())
        return column;
    // Control characters (a tab, a line break) show as spaces rather than as missing glyphs; the
    // positions in the text stay the same.
    QString shown = text;
    for (QChar& c : shown)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    const std::vector<Grapheme> parts = graphemes(shown, fonts, options.uprightDigits);
    std::vector<FontUse> uses(std::size_t(fonts.size()));
    for (const Grapheme& g : parts) {
        FontUse& use = uses[std::size_t(g.font)];
        if (use.face)
            continue;
        use.raw = &column.fonts[g.font];
        use.face = faceFor(*use.raw);
        use.scale = use.raw->pixelSize() / use.face->unitsPerEm;
        use.ascent = use.face->ascent * use.scale;
        use.descent = use.face->descent * use.scale;
        use.verticalMetrics = use.face->verticalMetrics && use.face->hasCmap;
    }
    ColumnBuilder builder(column, shown, uses,
                          std::isfinite(options.spacingPx) ? options.spacingPx : 0);
    for (std::size_t i = 0; i < parts.size();) {
        std::size_t end = i + 1;
        // 縦中横 groups are runs of their own: one cell each.
        if (parts[i].kind == Kind::Digits)
            while (end < parts.size() && parts[end].kind == Kind::Digits && end - i < 2)
                ++end;
        else
            while (end < parts.size() && parts[end].kind == parts[i].kind &&
                   parts[end].font == parts[i].font)
                ++end;
        builder.addRun(&parts[i], &parts[end - 1]);
        i = end;
    }
    builder.finish();
    return column;
}

void draw(QPainter& painter, const VerticalColumn& column, const QPointF& topCentre) {
    // One glyph run per font, turn and squeeze; the turned and squeezed ones in a frame of their
    // own so that the glyphs stay glyphs.
    struct Run {
        int font;
        bool turned;
        qreal widthScale;
        QList<quint32> indexes;
        QList<QPointF> positions;
    };
    std::vector<Run> runs;
    for (const VerticalGlyph& glyph : column.glyphs) {
        auto run = std::find_if(runs.begin(), runs.end(), [&](const Run& r) {
            return r.font == glyph.font && r.turned == glyph.turned &&
                   r.widthScale == glyph.widthScale;
        });
        if (run == runs.end())
            run = runs.insert(runs.end(), Run{glyph.font, glyph.turned, glyph.widthScale, {}, {}});
        run->indexes.append(glyph.index);
        QTransform frame;
        if (glyph.turned)
            frame.rotate(90);
        if (glyph.widthScale != 1)
            frame.scale(glyph.widthScale, 1);
        run->positions.append(frame.inverted().map(glyph.origin));
    }
    for (const Run& run : runs) {
        QGlyphRun glyphs;
        glyphs.setRawFont(column.fonts[run.font]);
        glyphs.setGlyphIndexes(run.indexes);
        glyphs.setPositions(run.positions);
        painter.save();
        painter.translate(topCentre);
        if (run.turned)
            painter.rotate(90);
        if (run.widthScale != 1)
            painter.scale(run.widthScale, 1);
        painter.drawGlyphRun(QPointF(0, 0), glyphs);
        painter.restore();
    }
}

QPainterPath inkPath(const VerticalColumn& column) {
    QPainterPath ink;
    for (const VerticalGlyph& glyph : column.glyphs)
        ink.addPath(glyph.transform().map(column.fonts[glyph.font].pathForGlyph(glyph.index)));
    return ink;
}

} // namespace VerticalText
