#pragma once

#include "document/LabelDocument.h"
#include "platform/fonts/FontCatalog.h"

#include <QList>
#include <QString>

// A font a document names that is drawn in another one here.
struct FontSubstitution {
    QString storedName;
    QString shownFamily;
    FontMatch match;
};

// What the user is told about a document's fonts that are not installed. The document keeps the
// names; only drawing uses the families shown instead.
namespace FontNotice {

// Each font name of the document's items (those with text) that is not installed, once, in item
// order. An item without a font name names none and is left out.
QList<FontSubstitution> substitutions(const LabelDocument& document,
                                      const FontCatalog& catalog = FontCatalog::installed());

// The message on opening such a document; empty when there is none.
QString message(const QList<FontSubstitution>& substitutions);
QString title();

// A name as a message shows it: control characters (a damaged file) would break its lines.
QString shownName(const QString& name);

} // namespace FontNotice
