#pragma once

#include <QByteArray>
#include <QString>

// Files this run writes for itself (a document's picture, a photo turned upright): written in one
// piece, and removed when they cannot be. They are not flushed to the disk: they live for the run
// only, and flushing a photo's tens of megabytes would hold up its first showing.
namespace TemporaryFile {

bool write(const QString& path, const QByteArray& bytes);

} // namespace TemporaryFile
