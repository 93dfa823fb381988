// Vertical setting, checked by the ink of columns drawn into images.
#include "text/VerticalText.h"

#include <QBuffer>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTest>
#include <QtEndian>

namespace {
constexpr qreal Em = 48; // pixels
constexpr int Margin = 8;

// IPA Gothic with its vertical metrics and substitutions hidden (vhea, vmtx and GSUB renamed):
// a Japanese font with neither vertical forms nor vertical metrics.
QRawFont gothicWithoutVerticalForms() {
    QFile file(QStringLiteral("/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"));
    if (!file.open(QIODevice::ReadOnly))
        return QRawFont();
    QByteArray data = file.readAll();
    auto* bytes = reinterpret_cast<uchar*>(data.data());
    const int tables = qFromBigEndian<quint16>(bytes + 4);
    for (int i = 0; i < tables; ++i) {
        uchar* record = bytes + 12 + 16 * i;
        const QByteArray tag(reinterpret_cast<const char*>(record), 4);
        if (tag == "vhea" || tag == "vmtx" || tag == "GSUB")
            record[0] = 'X';
        if (tag == "head") // another checksum: another font file to every cache
            bytes[qFromBigEndian<quint32>(record + 8) + 8] ^= 1;
    }
    return QRawFont(data, Em);
}

QRawFont font(const QString& family) {
    if (family == QLatin1String("no vertical forms"))
        return gothicWithoutVerticalForms();
    QRawFont raw = QRawFont::fromFont(QFont(family));
    raw.setPixelSize(Em);
    return raw.familyName() == family ? raw : QRawFont();
}

struct Drawn {
    VerticalColumn column;
    QImage image;
    QPointF topCentre;

    // The ink's bounds within a rectangle of column coordinates (the whole image by default).
    QRect ink(const QRectF& area = QRectF()) const {
        const QRect within = area.isNull()
                                 ? image.rect()
                                 : area.translated(topCentre).toAlignedRect() & image.rect();
        QRect bounds;
        for (int y = within.top(); y <= within.bottom(); ++y)
            for (int x = within.left(); x <= within.right(); ++x)
                if (qGray(image.pixel(x, y)) < 128)
                    bounds |= QRect(x, y, 1, 1);
        return bounds;
    }
    QPointF toColumn(const QPointF& imagePoint) const { return imagePoint - topCentre; }
};

Drawn drawColumn(const QList<QRawFont>& fonts, const QString& text,
                 const VerticalOptions& options = {}) {
    Drawn drawn;
    drawn.column = VerticalText::layout(fonts, text, options);
    const QRectF extent = drawn.column.extent;
    drawn.image = QImage(int(extent.width()) + 2 * Margin, int(extent.height()) + 2 * Margin,
                         QImage::Format_RGB32);
    drawn.image.fill(Qt::white);
    drawn.topCentre = QPointF(Margin, Margin) - extent.topLeft();
    QPainter painter(&drawn.image);
    painter.setPen(Qt::black);
    VerticalText::draw(painter, drawn.column, drawn.topCentre);
    return drawn;
}

// How far down the ink reaches in the columns [left, right) of the image.
int inkHeight(const QImage& image, const QRect& columns) {
    QRect bounds;
    for (int y = columns.top(); y <= columns.bottom(); ++y)
        for (int x = columns.left(); x <= columns.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                bounds |= QRect(x, y, 1, 1);
    return bounds.height();
}
} // namespace

class VerticalTextTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        for (const QString& family :
             {QStringLiteral("IPAGothic"), QStringLiteral("IPAMincho"),
              QStringLiteral("DejaVu Sans"), QStringLiteral("no vertical forms")})
            QVERIFY2(font(family).isValid(), qPrintable(family + " is not installed"));
    }

    // The shape of the ink of a whole column, and how many cells it has.
    void inkShape_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("uprightDigits");
        QTest::addColumn<QString>("shape");
        QTest::addColumn<int>("cells");
        const QString gothic = QStringLiteral("IPAGothic");
        const QString plain = QStringLiteral("no vertical forms");
        const QString bars = QStringLiteral("ーーーー");
        QTest::newRow("long vowels: bars") << gothic << bars << false << "thin and tall" << 4;
        QTest::newRow("long vowels, Mincho")
            << "IPAMincho" << bars << false << "thin and tall" << 4;
        QTest::newRow("long vowels, turned by us")
            << plain << bars << false << "thin and tall" << 4;
        QTest::newRow("parenthesis opens down")
            << gothic << "（" << false << "wider than tall" << 1;
        QTest::newRow("corner bracket opens down")
            << gothic << "「" << false << "wider than tall" << 1;
        QTest::newRow("parenthesis, turned by us")
            << plain << "（" << false << "wider than tall" << 1;
        QTest::newRow("Latin turned") << gothic << "ABC" << false << "taller than wide" << 3;
        QTest::newRow("Latin turned, DejaVu") << "DejaVu Sans"
                                              << "ABC" << false << "taller than wide" << 3;
        QTest::newRow("digits side by side") << gothic << "12" << true << "wider than tall" << 1;
        QTest::newRow("digits squeezed") << "DejaVu Sans"
                                         << "12" << true << "wider than tall" << 1;
        QTest::newRow("digits turned") << gothic << "12" << false << "taller than wide" << 2;
        QTest::newRow("three digits turned") << gothic << "123" << true << "taller than wide" << 3;
    }

    void inkShape() {
        QFETCH(QString, family);
        QFETCH(QString, text);
        QFETCH(bool, uprightDigits);
        QFETCH(QString, shape);
        QFETCH(int, cells);
        VerticalOptions options;
        options.uprightDigits = uprightDigits;
        const Drawn drawn = drawColumn({font(family)}, text, options);
        QCOMPARE(drawn.column.cells.size(), std::size_t(cells));
        const QRect ink = drawn.ink();
        QVERIFY(!ink.isEmpty());
        const QByteArray size =
            QByteArray::number(ink.width()) + "×" + QByteArray::number(ink.height());
        if (shape == QLatin1String("thin and tall"))
            QVERIFY2(ink.height() > 8 * ink.width(), size);
        else if (shape == QLatin1String("wider than tall"))
            QVERIFY2(ink.width() > ink.height() * 1.08, size);
        else
            QVERIFY2(ink.height() > ink.width() * 1.08, size);
        // 縦中横 squeezes a pair into the em-wide cell.
        if (uprightDigits && text.size() <= 2)
            QVERIFY2(ink.width() <= Em, size);
    }

    // Turned clockwise, a capital A has its point to the right and its feet to the left.
    void latinTurnsClockwise_data() {
        QTest::addColumn<QString>("family");
        QTest::newRow("IPAGothic") << "IPAGothic";
        QTest::newRow("DejaVu Sans") << "DejaVu Sans";
    }

    void latinTurnsClockwise() {
        QFETCH(QString, family);
        const Drawn drawn = drawColumn({font(family)}, QStringLiteral("A"));
        const QRect ink = drawn.ink();
        const int fifth = ink.width() / 5;
        const int left = inkHeight(drawn.image, ink.adjusted(0, 0, -4 * fifth, 0));
        const int right = inkHeight(drawn.image, ink.adjusted(4 * fifth, 0, 0, 0));
        QVERIFY2(left > 2 * right, qPrintable(QStringLiteral("%1 %2").arg(left).arg(right)));
    }

    // Where a character's ink sits in its cell: 、。 at the top right, small kana right of the
    // centre line, whether the font gives the vertical form or the layout places it.
    void placeInCell_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("top");
        for (const QString& family : {QStringLiteral("IPAGothic"), QStringLiteral("IPAMincho"),
                                      QStringLiteral("no vertical forms")}) {
            QTest::addRow("comma, %s", qPrintable(family)) << family << "あ、" << true;
            QTest::addRow("full stop, %s", qPrintable(family)) << family << "あ。" << true;
            QTest::addRow("small tsu, %s", qPrintable(family)) << family << "あッ" << false;
        }
    }

    void placeInCell() {
        QFETCH(QString, family);
        QFETCH(QString, text);
        QFETCH(bool, top);
        const Drawn drawn = drawColumn({font(family)}, text);
        QCOMPARE(drawn.column.cells.size(), std::size_t(2));
        const QRectF cell = drawn.column.cells[1].rect;
        const QPointF inkCentre = drawn.toColumn(QRectF(drawn.ink(cell)).center());
        QVERIFY2(inkCentre.x() > cell.center().x() + Em / 20,
                 qPrintable(QString::number(inkCentre.x())));
        if (top)
            QVERIFY2(inkCentre.y() < cell.center().y() - Em / 8,
                     qPrintable(QString::number(inkCentre.y() - cell.top())));
    }

    // Every character's ink stays in its own cell, centred on the column's line, the cells one
    // below the other, and 文字間隔 between them (not after the last).
    void straightColumn_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qreal>("spacing");
        const QString mixed = QStringLiteral("縦書きABCの12文字");
        QTest::newRow("IPAGothic") << "IPAGothic" << mixed << 0.0;
        QTest::newRow("IPAGothic, spaced") << "IPAGothic" << mixed << 10.0;
        QTest::newRow("IPAGothic, drawn together") << "IPAGothic" << mixed << -6.0;
        QTest::newRow("no vertical metrics") << "no vertical forms" << mixed << 0.0;
        QTest::newRow("no vertical metrics, spaced") << "no vertical forms" << mixed << 10.0;
        QTest::newRow("Latin font") << "DejaVu Sans"
                                    << "Label 2024" << 10.0;
        QTest::newRow("ligatures") << "DejaVu Serif"
                                   << "office fifty" << 0.0;
    }

    void straightColumn() {
        QFETCH(QString, family);
        QFETCH(QString, text);
        QFETCH(qreal, spacing);
        VerticalOptions options;
        options.spacingPx = spacing;
        const Drawn drawn = drawColumn({font(family)}, text, options);
        const VerticalColumn& column = drawn.column;
        qreal bottom = 0;
        qreal heights = 0;
        for (const VerticalCell& cell : column.cells) {
            const QString shown = text.mid(cell.start, cell.length);
            QVERIFY2(qAbs(cell.rect.top() - (bottom == 0 ? 0 : bottom + spacing)) < 0.01,
                     qPrintable(shown));
            bottom = cell.rect.bottom();
            heights += cell.rect.height();
            if (shown == QLatin1String(" "))
                continue;
            const QRectF ink = QRectF(drawn.ink(cell.rect.adjusted(-Em, -Em, Em, Em)))
                                   .translated(-drawn.topCentre);
            // Neighbours' ink may fall into the widened area, so only the centre is checked.
            QVERIFY2(qAbs(ink.center().x()) < Em / 5, qPrintable(shown));
            QVERIFY2(cell.rect.contains(
                         QRectF(drawn.ink(cell.rect)).translated(-drawn.topCentre).center()),
                     qPrintable(shown));
        }
        QCOMPARE(column.cells.size(), std::size_t(text.size()));
        const QRectF ink = QRectF(drawn.ink()).translated(-drawn.topCentre);
        QVERIFY2(column.extent.adjusted(-1, -1, 1, 1).contains(ink),
                 qPrintable(QStringLiteral("%1 %2").arg(ink.bottom()).arg(column.extent.bottom())));
        QVERIFY(qAbs(column.extent.height() - (heights + spacing * (text.size() - 1))) < 0.01);
    }

    // A Latin font's column still shows Japanese: the font Qt falls back on sets it.
    void japaneseInALatinFont() {
        const QList<QRawFont> fonts = VerticalText::fontsFor(QFont("DejaVu Sans"), Em);
        QCOMPARE(fonts.size(), 2);
        const VerticalColumn column = VerticalText::layout(fonts, QStringLiteral("Aあ"));
        QCOMPARE(column.glyphs.size(), std::size_t(2));
        QCOMPARE(column.glyphs[0].font, 0);
        QCOMPARE(column.glyphs[1].font, 1);
        QVERIFY(column.glyphs[1].index != 0);
    }

    // The drawn glyphs and the outline the check before printing uses cover the same place, and
    // a PDF keeps the glyphs as text with an embedded font (Qt embeds only fonts from files).
    void drawingMatchesInk_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("text");
        QTest::newRow("mixed") << "IPAGothic"
                               << "「縦書き」ーABC、12";
        QTest::newRow("squeezed digits") << "DejaVu Sans"
                                         << "x12y";
        QTest::newRow("turned by us") << "no vertical forms"
                                      << "（ー）、";
    }

    void drawingMatchesInk() {
        QFETCH(QString, family);
        QFETCH(QString, text);
        VerticalOptions options;
        options.uprightDigits = true;
        const Drawn drawn = drawColumn({font(family)}, text, options);
        const QRectF path = VerticalText::inkPath(drawn.column).boundingRect();
        const QRectF ink = QRectF(drawn.ink()).translated(-drawn.topCentre);
        for (const qreal difference : {path.left() - ink.left(), path.top() - ink.top(),
                                       path.right() - ink.right(), path.bottom() - ink.bottom()})
            QVERIFY2(qAbs(difference) < 2, qPrintable(QString::number(difference)));

        if (family == QLatin1String("no vertical forms"))
            return;
        QBuffer pdf;
        pdf.open(QIODevice::WriteOnly);
        {
            QPdfWriter writer(&pdf);
            QPainter painter(&writer);
            VerticalText::draw(painter, drawn.column, QPointF(100, 100));
        }
        QVERIFY(pdf.data().contains("/FontFile2"));
    }
};

QTEST_MAIN(VerticalTextTest)
#include "test_vertical_text.moc"
