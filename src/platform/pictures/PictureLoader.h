#pragma once

#include "platform/pictures/Picture.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Reads picture files into a Picture. Refuses what it cannot read completely, and refuses
// quickly (without allocating) a picture whose header claims an absurd size.
namespace PictureLoader {

struct LoadResult {
    std::optional<Picture> picture; // empty when refused
    QString reason;                 // one line, why it was refused
};

LoadResult loadFile(const QString& path);
LoadResult loadBytes(const QByteArray& bytes);

// Patterns of the formats the loader reads beyond the classic ones of the picture dialog's first
// entry, for a second entry (separated by ';').
QString otherPatterns();

} // namespace PictureLoader
