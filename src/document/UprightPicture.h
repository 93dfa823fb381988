#pragma once

#include <QString>

// A photo chosen with "背景を開く" whose EXIF orientation is not "normal" is turned upright
// before it is loaded, and the upright copy is what the document then stores (its BackPath), so
// the picture shows upright in every program that reads the document. Pictures that come from a
// document are never turned: they show as they were stored.
namespace UprightPicture {

// The file to load for the chosen one: the chosen file itself, or an upright copy of it written
// into `folder` (the run's temporary folder). A copy that cannot be made leaves the chosen file.
QString fileToLoad(const QString& chosen, const QString& folder);

// Removes `path` when it is an upright copy in `folder` that is no longer used.
void discard(const QString& path, const QString& folder);

} // namespace UprightPicture
