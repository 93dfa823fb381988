#include "platform/fonts/FontCatalog.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMutexLocker>
#include <QSet>
#include <fontconfig/fontconfig.h>

namespace {

// Names compared as fontconfig compares family names: case and blanks ignored.
QString folded(const QString& name) {
    QString key = name.toCaseFolded();
    key.removeIf([](QChar c) { return c.isSpace(); });
    return key;
}

// Windows names come in full-width and half-width letters and katakana ("ＭＳ Ｐゴシック",
// "MS Pｺﾞｼｯｸ"); compatibility forms are folded too.
QString windowsKey(const QString& name) {
    return folded(name.normalized(QString::NormalizationForm_KC));
}

enum class JapaneseStyle { Gothic, PGothic, Mincho, PMincho };

// The installed fonts most like each Windows style, best first: fixed-width kana for the fixed
// styles and proportional for the proportional ones, so that lines keep their length.
QStringList standIns(JapaneseStyle style) {
    switch (style) {
    case JapaneseStyle::Gothic:
        return {QStringLiteral("IPAGothic"),       QStringLiteral("Noto Sans Mono CJK JP"),
                QStringLiteral("IPAexGothic"),     QStringLiteral("VL Gothic"),
                QStringLiteral("TakaoGothic"),     QStringLiteral("IPAPGothic"),
                QStringLiteral("Noto Sans CJK JP")};
    case JapaneseStyle::PGothic:
        return {QStringLiteral("IPAPGothic"),  QStringLiteral("Noto Sans CJK JP"),
                QStringLiteral("VL PGothic"),  QStringLiteral("TakaoPGothic"),
                QStringLiteral("IPAexGothic"), QStringLiteral("IPAGothic")};
    case JapaneseStyle::Mincho:
        return {QStringLiteral("IPAMincho"), QStringLiteral("IPAexMincho"),
                QStringLiteral("TakaoMincho"), QStringLiteral("IPAPMincho"),
                QStringLiteral("Noto Serif CJK JP")};
    case JapaneseStyle::PMincho:
        return {QStringLiteral("IPAPMincho"), QStringLiteral("Noto Serif CJK JP"),
                QStringLiteral("TakaoPMincho"), QStringLiteral("IPAexMincho"),
                QStringLiteral("IPAMincho")};
    }
    return {};
}

// The Japanese fonts Windows documents name, by their English and Japanese names (as windowsKey
// folds them).
const QHash<QString, JapaneseStyle>& windowsFonts() {
    static const QHash<QString, JapaneseStyle> fonts = [] {
        const std::pair<const char16_t*, JapaneseStyle> names[] = {
            {u"ＭＳ ゴシック", JapaneseStyle::Gothic},
            {u"MS Gothic", JapaneseStyle::Gothic},
            {u"ＭＳ Ｐゴシック", JapaneseStyle::PGothic},
            {u"MS PGothic", JapaneseStyle::PGothic},
            {u"MS UI Gothic", JapaneseStyle::PGothic},
            {u"ＭＳ 明朝", JapaneseStyle::Mincho},
            {u"MS Mincho", JapaneseStyle::Mincho},
            {u"ＭＳ Ｐ明朝", JapaneseStyle::PMincho},
            {u"MS PMincho", JapaneseStyle::PMincho},
            {u"メイリオ", JapaneseStyle::PGothic},
            {u"Meiryo", JapaneseStyle::PGothic},
            {u"Meiryo UI", JapaneseStyle::PGothic},
            {u"游ゴシック", JapaneseStyle::PGothic},
            {u"游ゴシック Light", JapaneseStyle::PGothic},
            {u"游ゴシック Medium", JapaneseStyle::PGothic},
            {u"Yu Gothic", JapaneseStyle::PGothic},
            {u"Yu Gothic Light", JapaneseStyle::PGothic},
            {u"Yu Gothic Medium", JapaneseStyle::PGothic},
            {u"Yu Gothic UI", JapaneseStyle::PGothic},
            {u"游明朝", JapaneseStyle::PMincho},
            {u"游明朝 Demibold", JapaneseStyle::PMincho},
            {u"Yu Mincho", JapaneseStyle::PMincho},
            {u"Yu Mincho Demibold", JapaneseStyle::PMincho},
            {u"BIZ UDゴシック", JapaneseStyle::Gothic},
            {u"BIZ UDGothic", JapaneseStyle::Gothic},
            {u"BIZ UDPゴシック", JapaneseStyle::PGothic},
            {u"BIZ UDPGothic", JapaneseStyle::PGothic},
            {u"BIZ UD明朝", JapaneseStyle::Mincho},
            {u"BIZ UDMincho", JapaneseStyle::Mincho},
            {u"BIZ UDP明朝", JapaneseStyle::PMincho},
            {u"BIZ UDPMincho", JapaneseStyle::PMincho},
        };
        QHash<QString, JapaneseStyle> table;
        for (const auto& [name, style] : names)
            table.insert(windowsKey(QString::fromUtf16(name)), style);
        return table;
    }();
    return fonts;
}

QString fcString(FcPattern* pattern, const char* object, int index) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, object, index, &value) != FcResultMatch)
        return QString();
    return QString::fromUtf8(reinterpret_cast<const char*>(value));
}

// Every family fontconfig knows with all of its names. A further name in the language of the
// first is a family of its own ("DejaVu Sans Condensed"), as Qt lists it; a name in another
// language is the same family under that language's name.
QList<FontFamilyNames> readFontconfig() {
    QList<FontFamilyNames> families;
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_FAMILYLANG, FC_LANG, nullptr);
    FcFontSet* fonts = pattern && objects ? FcFontList(nullptr, pattern, objects) : nullptr;
    if (objects)
        FcObjectSetDestroy(objects);
    if (pattern)
        FcPatternDestroy(pattern);
    if (!fonts)
        return families;

    QHash<QString, int> byListed;
    for (int f = 0; f < fonts->nfont; ++f) {
        FcPattern* font = fonts->fonts[f];
        FcLangSet* langs = nullptr;
        const bool japanese =
            FcPatternGetLangSet(font, FC_LANG, 0, &langs) == FcResultMatch &&
            FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("ja")) == FcLangEqual;
        const QString first = fcString(font, FC_FAMILY, 0);
        const QString firstLang = fcString(font, FC_FAMILYLANG, 0);
        if (first.isEmpty())
            continue;
        auto familyIndex = [&](const QString& listed) {
            auto found = byListed.constFind(listed);
            if (found != byListed.constEnd())
                return *found;
            families.append(FontFamilyNames{listed, {}, false});
            byListed.insert(listed, int(families.size() - 1));
            return int(families.size() - 1);
        };
        const int primary = familyIndex(first);
        families[primary].japanese = families[primary].japanese || japanese;
        for (int k = 1;; ++k) {
            const QString name = fcString(font, FC_FAMILY, k);
            if (name.isEmpty())
                break;
            const QString lang = fcString(font, FC_FAMILYLANG, k);
            if (lang == firstLang) {
                const int own = familyIndex(name);
                families[own].japanese = families[own].japanese || japanese;
            } else if (!families[primary].otherNames.contains(name)) {
                families[primary].otherNames.append(name);
            }
        }
    }
    FcFontSetDestroy(fonts);
    return families;
}

} // namespace

FontCatalog::FontCatalog(const QList<FontFamilyNames>& families) : families_(families) {
    for (int i = 0; i < families_.size(); ++i) {
        listed_.insert(families_[i].listed, i);
        folded_.insert(folded(families_[i].listed), i);
    }
    // Other languages' names come second, so a listed name always finds its own family.
    for (int i = 0; i < families_.size(); ++i) {
        for (const QString& name : families_[i].otherNames) {
            const QString key = folded(name);
            if (!folded_.contains(key))
                folded_.insert(key, i);
        }
    }
    preferredJapanese_ = firstInstalled(japanesePreference());
    for (int i = 0; i < families_.size() && preferredJapanese_.isEmpty(); ++i) {
        if (families_[i].japanese)
            preferredJapanese_ = families_[i].listed;
    }
}

FontCatalog FontCatalog::readInstalled() {
    QList<FontFamilyNames> families = readFontconfig();
    // Qt lists a few names of its own (a foundry in brackets, "Sans Serif"): they are installed
    // too, since the font list offers them.
    QSet<QString> known;
    for (const FontFamilyNames& family : families)
        known.insert(family.listed);
    for (const QString& name : QFontDatabase::families()) {
        if (!known.contains(name))
            families.append(FontFamilyNames{name, {}, false});
    }
    return FontCatalog(families);
}

const FontCatalog& FontCatalog::installed() {
    static const FontCatalog catalog = readInstalled();
    return catalog;
}

const QStringList& FontCatalog::japanesePreference() {
    static const QStringList names = {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                      QStringLiteral("IPAPMincho"), QStringLiteral("IPAMincho"),
                                      QStringLiteral("Noto Sans CJK JP")};
    return names;
}

int FontCatalog::familyOf(const QString& name) const {
    auto found = folded_.constFind(folded(name));
    return found == folded_.constEnd() ? -1 : *found;
}

QString FontCatalog::firstInstalled(const QStringList& names) const {
    for (const QString& name : names) {
        const int family = familyOf(name);
        if (family >= 0)
            return families_[family].listed;
    }
    return QString();
}

QStringList FontCatalog::namesOf(const QString& name) const {
    const int family = familyOf(name);
    if (family < 0)
        return {};
    return QStringList{families_[family].listed} + families_[family].otherNames;
}

FontResolution FontCatalog::resolve(const QString& storedName) const {
    QMutexLocker lock(&cacheMutex_);
    auto found = cache_.constFind(storedName);
    if (found != cache_.constEnd())
        return *found;
    const FontResolution resolution = resolveUncached(storedName);
    cache_.insert(storedName, resolution);
    return resolution;
}

FontResolution FontCatalog::resolveUncached(const QString& storedName) const {
    if (listed_.contains(storedName))
        return {storedName, FontMatch::Installed};
    if (const int family = familyOf(storedName); family >= 0 && !storedName.isEmpty())
        return {families_[family].listed, FontMatch::OtherName};
    auto windows = windowsFonts().constFind(windowsKey(storedName));
    if (windows != windowsFonts().constEnd()) {
        QString family = firstInstalled(standIns(*windows));
        if (family.isEmpty())
            family = preferredJapanese_;
        if (!family.isEmpty())
            return {family, FontMatch::WindowsFont};
    }
    // A missing font is drawn in the family a new item starts with, not in Qt's substitute: that
    // is a Latin font, with the kana taken from yet another one.
    if (!preferredJapanese_.isEmpty())
        return {preferredJapanese_, FontMatch::Missing};
    return {QFontInfo(QFont(storedName)).family(), FontMatch::Missing};
}
