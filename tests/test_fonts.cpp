// Fonts named by a document: which installed family draws each stored name, and what opening a
// document says about the fonts that are not installed.
#include "document/DocumentCommands.h"
#include "document/FontNotice.h"
#include "document/LabelFileStore.h"
#include "document/OpenLabel.h"
#include "platform/fonts/FontCatalog.h"
#include "support/FakeSurface.h"
#include "support/ScriptedPlatform.h"
#include "view/LabelRenderer.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(FontMatch)

namespace {

// Desktops as fontconfig lists them: the IPA fonts on an English and on a Japanese desktop, the
// Noto CJK fonts, an unlisted Japanese font, and no Japanese font at all.
QList<FontFamilyNames> catalogFamilies(const QString& name) {
    const QList<std::pair<const char16_t*, const char16_t*>> ipa = {
        {u"IPAGothic", u"IPAゴシック"},
        {u"IPAPGothic", u"IPA Pゴシック"},
        {u"IPAMincho", u"IPA明朝"},
        {u"IPAPMincho", u"IPA P明朝"}};
    const QList<FontFamilyNames> latin = {{QStringLiteral("DejaVu Sans"), {}, false},
                                          {QStringLiteral("DejaVu Sans Condensed"), {}, false}};
    QList<FontFamilyNames> families = latin;
    if (name == QLatin1String("ipa") || name == QLatin1String("ipa, Japanese desktop")) {
        const bool japaneseFirst = name != QLatin1String("ipa");
        for (const auto& [english, japanese] : ipa) {
            const QString en = QString::fromUtf16(english), ja = QString::fromUtf16(japanese);
            families.append({japaneseFirst ? ja : en, {japaneseFirst ? en : ja}, true});
        }
    } else if (name == QLatin1String("noto")) {
        for (const char* family :
             {"Noto Sans CJK JP", "Noto Serif CJK JP", "Noto Sans Mono CJK JP"})
            families.append({QLatin1String(family), {}, true});
    } else if (name == QLatin1String("other Japanese")) {
        families.append({QStringLiteral("Sawarabi Gothic"), {}, true});
    }
    return families;
}

TextItem textItem(const QString& text, const QString& font) {
    return TextItem{text, 10, 10, 20, 8, 24, 0, font};
}

} // namespace

class TestFonts : public QObject {
    Q_OBJECT

private slots:
    void resolvesStoredNames_data() {
        QTest::addColumn<QString>("catalog");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("family"); // empty: what Qt substitutes
        QTest::addColumn<FontMatch>("match");
        const auto row = [](const char* tag, const char* catalog, const QString& stored,
                            const QString& family, FontMatch match) {
            QTest::newRow(tag) << QString::fromLatin1(catalog) << stored << family << match;
        };
        using M = FontMatch;
        const QString gothic = QStringLiteral("IPAGothic"), pGothic = QStringLiteral("IPAPGothic");
        const QString mincho = QStringLiteral("IPAMincho"), pMincho = QStringLiteral("IPAPMincho");
        row("listed name", "ipa", pGothic, pGothic, M::Installed);
        row("Japanese name", "ipa", QStringLiteral("IPA Pゴシック"), pGothic, M::OtherName);
        row("case and blanks as fontconfig ignores them", "ipa", QStringLiteral("ipa pgothic"),
            pGothic, M::OtherName);
        row("same-language second name is a family", "ipa", QStringLiteral("DejaVu Sans Condensed"),
            QStringLiteral("DejaVu Sans Condensed"), M::Installed);
        row("English name on a Japanese desktop", "ipa, Japanese desktop", pGothic,
            QStringLiteral("IPA Pゴシック"), M::OtherName);
        row("Japanese name on a Japanese desktop", "ipa, Japanese desktop",
            QStringLiteral("IPA Pゴシック"), QStringLiteral("IPA Pゴシック"), M::Installed);
        row("ＭＳ ゴシック", "ipa", QStringLiteral("ＭＳ ゴシック"), gothic, M::WindowsFont);
        row("MS Gothic", "ipa", QStringLiteral("MS Gothic"), gothic, M::WindowsFont);
        row("ＭＳ Ｐゴシック", "ipa", QStringLiteral("ＭＳ Ｐゴシック"), pGothic, M::WindowsFont);
        row("half-width katakana", "ipa", QStringLiteral("MS Pｺﾞｼｯｸ"), pGothic, M::WindowsFont);
        row("ＭＳ 明朝", "ipa", QStringLiteral("ＭＳ 明朝"), mincho, M::WindowsFont);
        row("ＭＳ Ｐ明朝", "ipa", QStringLiteral("ＭＳ Ｐ明朝"), pMincho, M::WindowsFont);
        row("メイリオ", "ipa", QStringLiteral("メイリオ"), pGothic, M::WindowsFont);
        row("Windows font on a Japanese desktop", "ipa, Japanese desktop",
            QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPA明朝"), M::WindowsFont);
        row("ＭＳ ゴシック with Noto", "noto", QStringLiteral("ＭＳ ゴシック"),
            QStringLiteral("Noto Sans Mono CJK JP"), M::WindowsFont);
        row("ＭＳ Ｐゴシック with Noto", "noto", QStringLiteral("ＭＳ Ｐゴシック"),
            QStringLiteral("Noto Sans CJK JP"), M::WindowsFont);
        row("ＭＳ 明朝 with Noto", "noto", QStringLiteral("ＭＳ 明朝"),
            QStringLiteral("Noto Serif CJK JP"), M::WindowsFont);
        row("Windows font, any Japanese font", "other Japanese", QStringLiteral("ＭＳ 明朝"),
            QStringLiteral("Sawarabi Gothic"), M::WindowsFont);
        row("missing", "ipa", QStringLiteral("Old Label Font"), pGothic, M::Missing);
        row("missing with Noto", "noto", QStringLiteral("Old Label Font"),
            QStringLiteral("Noto Sans CJK JP"), M::Missing);
        row("no name", "ipa", QString(), pGothic, M::Missing);
        row("Windows font, no Japanese font", "latin", QStringLiteral("ＭＳ ゴシック"), QString(),
            M::Missing);
    }
    void resolvesStoredNames() {
        QFETCH(QString, catalog);
        QFETCH(QString, stored);
        QFETCH(QString, family);
        QFETCH(FontMatch, match);
        const FontCatalog fonts(catalogFamilies(catalog));
        const FontResolution resolution = fonts.resolve(stored);
        QCOMPARE(resolution.match, match);
        QCOMPARE(resolution.family, family.isEmpty() ? QFontInfo(QFont(stored)).family() : family);
        // Asked again, from the cache.
        QCOMPARE(fonts.resolve(stored).family, resolution.family);
    }

    // Read from fontconfig: the IPA fonts (the set-up script installs them) by their English and
    // Japanese names, whichever of the two this desktop lists.
    void installedFontsAreKnownByEveryName_data() {
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("japanese");
        QTest::newRow("IPAGothic") << QStringLiteral("IPAGothic") << QStringLiteral("IPAゴシック");
        QTest::newRow("IPAPGothic")
            << QStringLiteral("IPAPGothic") << QStringLiteral("IPA Pゴシック");
        QTest::newRow("IPAMincho") << QStringLiteral("IPAMincho") << QStringLiteral("IPA明朝");
        QTest::newRow("IPAPMincho") << QStringLiteral("IPAPMincho") << QStringLiteral("IPA P明朝");
    }
    void installedFontsAreKnownByEveryName() {
        QFETCH(QString, english);
        QFETCH(QString, japanese);
        const FontCatalog& fonts = FontCatalog::installed();
        const FontResolution byEnglish = fonts.resolve(english);
        const FontResolution byJapanese = fonts.resolve(japanese);
        QCOMPARE(byJapanese.family, byEnglish.family);
        QVERIFY(QFontDatabase::families().contains(byEnglish.family));
        QCOMPARE(int(byEnglish.match == FontMatch::Installed) +
                     int(byJapanese.match == FontMatch::Installed),
                 1);
        QVERIFY(!byEnglish.substituted() && !byJapanese.substituted());
        const QStringList names = fonts.namesOf(japanese);
        QVERIFY(names.contains(english) && names.contains(japanese));
    }

    // Nothing the font list offers counts as missing (Qt also lists foundry names and aliases).
    void everyListedFamilyIsInstalled() {
        const FontCatalog& fonts = FontCatalog::installed();
        for (const QString& family : QFontDatabase::families())
            QVERIFY2(fonts.resolve(family).match == FontMatch::Installed, qPrintable(family));
    }

    // Every surface gets its font from the renderer: a stored name draws exactly as the family it
    // resolves to, Latin letters included.
    void drawsInTheResolvedFamily_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("family");
        QTest::newRow("Windows gothic")
            << QStringLiteral("ＭＳ ゴシック") << QStringLiteral("IPAGothic");
        QTest::newRow("Windows proportional")
            << QStringLiteral("メイリオ") << QStringLiteral("IPAPGothic");
        QTest::newRow("Japanese name")
            << QStringLiteral("IPA P明朝") << QStringLiteral("IPAPMincho");
        QTest::newRow("missing") << QStringLiteral("Old Label Font")
                                 << QStringLiteral("IPAPGothic");
    }
    void drawsInTheResolvedFamily() {
        QFETCH(QString, stored);
        QFETCH(QString, family);
        const auto drawn = [](const QString& font) {
            QImage image(400, 400, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            const Geometry geometry = Geometry::screen(400);
            LabelRenderer::drawTextItem(painter, geometry,
                                        textItem(QStringLiteral("Label ラベル 123"), font));
            return image;
        };
        const QImage expected = drawn(family);
        QVERIFY(drawn(stored) == expected);
        QVERIFY(drawn(QStringLiteral("DejaVu Sans")) != expected);
    }

    // Opening through the command with the scripted platform: one message naming each font that
    // is not installed once, nothing for fonts installed under any name; the names are kept.
    void openingTellsSubstitutedFonts_data() {
        QTest::addColumn<QStringList>("fonts");
        QTest::addColumn<QStringList>("lines"); // after the first line; empty: no message
        const QString gothic = FontCatalog::installed().resolve(QStringLiteral("IPAGothic")).family;
        const QString pGothic =
            FontCatalog::installed().resolve(QStringLiteral("IPAPGothic")).family;
        QTest::newRow("installed")
            << QStringList{QStringLiteral("IPAGothic"), QStringLiteral("DejaVu Sans")}
            << QStringList{};
        QTest::newRow("installed under another name")
            << QStringList{QStringLiteral("IPA Pゴシック"), QStringLiteral("IPAPGothic"),
                           QStringLiteral("ipa mincho")}
            << QStringList{};
        QTest::newRow("Windows and missing, each once")
            << QStringList{QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"),
                           QStringLiteral("Old Label Font"), QStringLiteral("ＭＳ ゴシック"),
                           QStringLiteral("メイリオ")}
            << QStringList{QStringLiteral("ＭＳ ゴシック → ") + gothic,
                           QStringLiteral("Old Label Font → ") + pGothic,
                           QStringLiteral("メイリオ → ") + pGothic};
        QTest::newRow("control characters shown as such")
            << QStringList{QStringLiteral("Old\tFont\n")}
            << QStringList{QStringLiteral("Old\uFFFDFont\uFFFD → ") + pGothic};
        QStringList many, manyLines;
        for (int i = 0; i < 12; ++i) {
            many << QStringLiteral("Lost %1").arg(i);
            if (i < 10)
                manyLines << QStringLiteral("Lost %1 → ").arg(i) + pGothic;
        }
        QTest::newRow("at most ten listed") << many << (manyLines << QStringLiteral("ほか 2 個"));
    }
    void openingTellsSubstitutedFonts() {
        QFETCH(QStringList, fonts);
        QFETCH(QStringList, lines);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("fonts.gpc"));
        LabelDocument stored;
        for (const QString& font : fonts)
            stored.insertItem(stored.itemCount(), textItem(QStringLiteral("文字"), font));
        // Neither an item without text nor one without a font name names a font to tell.
        stored.insertItem(stored.itemCount(), textItem(QString(), QStringLiteral("Unseen Font")));
        stored.insertItem(stored.itemCount(), textItem(QStringLiteral("名前なし"), QString()));
        QVERIFY(LabelFileStore::save(path, stored, 0, QString()).ok);

        ScriptedPlatform platform;
        OpenLabel label;
        FakeSurface surface;
        DocumentCommands commands(LabelContext{platform, nullptr, label, surface});
        QVERIFY(commands.openDocumentFile(path));
        if (lines.isEmpty()) {
            QVERIFY(platform.messages.isEmpty());
        } else {
            QCOMPARE(platform.messages.size(), 1);
            const ScriptedPlatform::Message& shown = platform.messages.first();
            QCOMPARE(shown.title, QStringLiteral("フォント"));
            QCOMPARE(shown.buttons, MessageButtons::Ok);
            QCOMPARE(shown.text, QStringLiteral("次のフォントはインストールされていないため、"
                                                "代わりのフォントで表示・印刷します。\n\n") +
                                     lines.join(u'\n'));
        }
        QCOMPARE(label.document.itemCount(), stored.itemCount());
        for (int i = 0; i < stored.itemCount(); ++i)
            QCOMPARE(label.document.item(i).FontName, stored.item(i).FontName);
        QVERIFY(platform.unexpected.isEmpty());
    }
};

QTEST_MAIN(TestFonts)
#include "test_fonts.moc"
