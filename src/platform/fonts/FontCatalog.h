#pragma once

#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>

// One installed family: the name the desktop lists it under and its names in other languages
// ("IPAPGothic" and "IPA Pゴシック"); which one is listed depends on the desktop's language.
struct FontFamilyNames {
    QString listed;
    QStringList otherNames;
    bool japanese = false; // has Japanese glyphs
};

// How a font name stored in a document was found among the installed fonts.
enum class FontMatch {
    Installed,   // listed under that very name
    OtherName,   // installed, listed under another of its names
    WindowsFont, // a Windows font, drawn in the installed Japanese font most like it
    Missing,     // not installed: drawn in the family a new text item starts with
};

struct FontResolution {
    QString family; // the installed family to draw with
    FontMatch match = FontMatch::Missing;

    // Whether the text is drawn in another font than the document names.
    bool substituted() const {
        return match == FontMatch::WindowsFont || match == FontMatch::Missing;
    }
};

// The installed font families by all of their names, and which one draws a stored font name.
// A document keeps the name it was saved with; only drawing uses the resolved family.
class FontCatalog {
public:
    explicit FontCatalog(const QList<FontFamilyNames>& families);

    // The fonts of this desktop (fontconfig's families with every name, and what Qt lists),
    // read once per run. Needs the GUI application.
    static const FontCatalog& installed();
    // Reads them anew (installed() does it once).
    static FontCatalog readInstalled();

    // Answers are kept: this runs for every text drawn.
    FontResolution resolve(const QString& storedName) const;

    // Every name of the installed family `name` is one of, the listed one first; empty when none.
    QStringList namesOf(const QString& name) const;

    // The preferred Japanese families, best first, by the names fontconfig gives them everywhere.
    static const QStringList& japanesePreference();

private:
    int familyOf(const QString& name) const;
    QString firstInstalled(const QStringList& names) const;
    FontResolution resolveUncached(const QString& storedName) const;

    QList<FontFamilyNames> families_;
    QHash<QString, int> listed_; // listed name -> family
    QHash<QString, int> folded_; // every name, folded -> family
    QString preferredJapanese_;  // what a font that is truly missing is drawn in

    mutable QMutex cacheMutex_;
    mutable QHash<QString, FontResolution> cache_;
};
