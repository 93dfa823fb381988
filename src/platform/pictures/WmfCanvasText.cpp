#include "platform/pictures/WmfCanvas.h"

#include "text/Cp932.h"
#include "text/Windows1252.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 GlyphCost = 256;
constexpr double MinFontPx = 0.5;

bool isShiftJisLead(std::uint8_t byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Splits Shift-JIS bytes into characters and decodes them; a character the code page does not
// define is drawn as a blank of its own width rather than dropping the rest of the line.
QString decodeShiftJis(QByteArrayView bytes, QList<int>* byteCounts) {
    QList<QByteArrayView> characters;
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = isShiftJisLead(std::uint8_t(bytes[i])) && i + 1 < bytes.size() ? 2 : 1;
        characters.append(bytes.sliced(i, length));
        byteCounts->append(length);
        i += length;
    }
    const std::optional<QString> whole = Cp932::decode(bytes.toByteArray());
    if (whole && whole->size() == characters.size())
        return *whole;
    QString text;
    for (QByteArrayView character : characters) {
        const std::optional<QString> one = Cp932::decode(character.toByteArray());
        text.append(one && one->size() == 1 ? one->at(0) : QChar(u' '));
    }
    return text;
}

} // namespace

QString WmfCanvas::decode(QByteArrayView bytes, int charset, QList<int>* byteCounts) {
    QList<int> counts;
    QList<int>& out = byteCounts ? *byteCounts : counts;
    if (charset == Wmf::ShiftJisCharset || charset == Wmf::DefaultCharset)
        return decodeShiftJis(bytes, &out);
    const QString text = Windows1252::decode(bytes);
    for (qsizetype i = 0; i < text.size(); ++i)
        out.append(1);
    return text;
}

QFont WmfCanvas::deviceFont() const {
    const Wmf::Font& logical = dc_.font;
    QString face = logical.face;
    if (face.startsWith(QLatin1Char('@'))) // vertical-writing variant: drawn upright here
        face.remove(0, 1);
    QFont font(face.isEmpty() ? QStringLiteral("sans-serif") : face);
    font.setStyleStrategy(QFont::PreferAntialias);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setWeight(QFont::Weight(logical.weight <= 0 ? 400 : std::min(logical.weight, 1000)));
    font.setItalic(logical.italic);
    font.setUnderline(logical.underline);
    font.setStrikeOut(logical.strikeOut);

    const double maxPx = 4.0 * std::max(image_.width(), image_.height());
    double emPx = std::abs(logical.heightLogical * dc_.scaleY());
    if (logical.heightLogical == 0)
        emPx = 12.0 / 72.0 * pixelsPerInch_;
    const double dpi = image_.logicalDpiY();
    if (logical.heightLogical > 0) { // cell height: the em is a little smaller
        font.setPointSizeF(100.0 * 72.0 / dpi);
        const QFontMetricsF metrics(font, &image_);
        emPx *= 100.0 / std::max(metrics.ascent() + metrics.descent(), 1.0);
    }
    font.setPointSizeF(std::clamp(emPx, MinFontPx, maxPx) * 72.0 / dpi);
    if (logical.widthLogical != 0) {
        const double wanted = std::abs(logical.widthLogical * dc_.scaleX());
        const double natural = QFontMetricsF(font, &image_).averageCharWidth();
        if (natural > 0)
            font.setStretch(std::clamp(int(std::lround(wanted / natural * 100)), 1, 4000));
    }
    return font;
}

void WmfCanvas::text(const TextRun& run) {
    if (run.bytes.isEmpty())
        return;
    QList<int> byteCounts;
    const QString characters = decode(run.bytes, dc_.font.charset, &byteCounts);
    drawTextRun(characters, byteCounts, run);
}

void WmfCanvas::drawTextRun(const QString& text, const QList<int>& byteCounts, const TextRun& run) {
    const QFont font = deviceFont();
    const QFontMetricsF metrics(font, &image_);
    const bool updatesPosition = dc_.textAlign & Wmf::AlignUpdateCp;
    const QPointF reference = toDevice(updatesPosition ? dc_.position : run.reference);

    // Where each character starts along the baseline, in pixels.
    QList<double> starts;
    double total = 0;
    const bool spaced = run.advances.size() >= run.bytes.size();
    for (qsizetype i = 0, byte = 0; i < text.size(); ++i) {
        starts.append(total);
        if (spaced) {
            for (int b = 0; b < byteCounts[i]; ++b)
                total += std::abs(run.advances[byte + b] * dc_.scaleX());
            byte += byteCounts[i];
        }
    }
    if (!spaced)
        total = metrics.horizontalAdvance(text);

    const int horizontal = dc_.textAlign & Wmf::AlignCenter;
    const double x0 = horizontal == Wmf::AlignCenter  ? -total / 2
                      : horizontal == Wmf::AlignRight ? -total
                                                      : 0;
    const int vertical = dc_.textAlign & Wmf::AlignBaseline;
    const double baseline = vertical == Wmf::AlignBaseline ? 0
                            : vertical == Wmf::AlignBottom ? -metrics.descent()
                                                           : metrics.ascent();
    const double reach = std::hypot(std::abs(x0) + total, 2 * metrics.height());
    budget_ -= GlyphCost * text.size();
    if (!afford(QRectF(reference, QSizeF()).adjusted(-reach, -reach, reach, reach), 4))
        return;

    painter_.save();
    if (run.opaque)
        painter_.fillRect(toDevice(*run.opaque), dc_.backgroundColor);
    if (run.clip)
        painter_.setClipRect(toDevice(*run.clip), Qt::IntersectClip);
    painter_.translate(reference);
    painter_.rotate(-dc_.font.escapementTenths / 10.0);
    if (dc_.backgroundMode == Wmf::Opaque && !run.opaque)
        painter_.fillRect(QRectF(x0, baseline - metrics.ascent(), total, metrics.height()),
                          dc_.backgroundColor);
    painter_.setFont(font);
    painter_.setPen(dc_.textColor);
    if (spaced) {
        for (qsizetype i = 0; i < text.size(); ++i)
            painter_.drawText(QPointF(x0 + starts[i], baseline), QString(text[i]));
    } else {
        painter_.drawText(QPointF(x0, baseline), text);
    }
    painter_.restore();
    if (updatesPosition && dc_.scaleX() != 0)
        dc_.position.rx() += total / std::abs(dc_.scaleX());
}
