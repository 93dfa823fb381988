#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QSizeF>
#include <QString>

// The converter that draws enhanced metafiles trusts the sizes, counts and offsets inside
// records. Before a file reaches it, this rebuilds the file from records that were checked
// against their own length: known drawing records with consistent counts, offsets inside the
// record, object handles inside the table, bitmaps whose pixel data is all there. Everything else
// is left out; a file whose record chain is broken or ends early is refused.
namespace EmfSanitizer {

struct Result {
    QByteArray bytes; // the rebuilt file; empty when refused
    QSizeF naturalSizeMm;
    QString reason;

    bool ok() const { return !bytes.isEmpty(); }
};

bool recognises(QByteArrayView bytes);

Result sanitize(QByteArrayView bytes);

} // namespace EmfSanitizer
