#include "document/FontNotice.h"

#include <QSet>

namespace FontNotice {

namespace {
// Lines beyond these would push the OK button off a small screen (a damaged file may name a
// hundred fonts).
constexpr int MaxListedFonts = 10;
} // namespace

QString shownName(const QString& name) {
    QString text = name;
    for (QChar& c : text) {
        if (!c.isPrint())
            c = QChar::ReplacementCharacter;
    }
    return text;
}

QList<FontSubstitution> substitutions(const LabelDocument& document, const FontCatalog& catalog) {
    QList<FontSubstitution> found;
    QSet<QString> seen;
    for (int i = 0; i < document.itemCount(); ++i) {
        const TextItem& item = document.item(i);
        if (item.Text.isEmpty() || item.FontName.isEmpty() || seen.contains(item.FontName))
            continue;
        seen.insert(item.FontName);
        const FontResolution resolution = catalog.resolve(item.FontName);
        if (resolution.substituted())
            found.append({item.FontName, resolution.family, resolution.match});
    }
    return found;
}

QString message(const QList<FontSubstitution>& substitutions) {
    if (substitutions.isEmpty())
        return QString();
    QString text = QStringLiteral("次のフォントはインストールされていないため、"
                                  "代わりのフォントで表示・印刷します。\n");
    for (int i = 0; i < substitutions.size() && i < MaxListedFonts; ++i) {
        text += QStringLiteral("\n%1 → %2")
                    .arg(shownName(substitutions[i].storedName), substitutions[i].shownFamily);
    }
    if (substitutions.size() > MaxListedFonts)
        text += QStringLiteral("\nほか %1 個").arg(substitutions.size() - MaxListedFonts);
    return text;
}

QString title() {
    return QStringLiteral("フォント");
}

} // namespace FontNotice
