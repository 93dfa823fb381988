#include "document/UprightPicture.h"

#include "document/AtomicReplace.h"
#include "platform/pictures/JpegOrientation.h"
#include "platform/pictures/PictureLimits.h"
#include "platform/pictures/StreamChecks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace UprightPicture {

namespace {

const QString CopyPrefix = QStringLiteral("upright-");

// EXIF lies within the first segments; an upright photo is read no further.
constexpr qint64 HeadBytes = 4 * 1024 * 1024;

bool isCopyIn(const QString& path, const QString& folder) {
    const QFileInfo info(path);
    return !folder.isEmpty() && info.fileName().startsWith(CopyPrefix) &&
           QDir(info.absolutePath()) == QDir(folder);
}

// A name no copy of this run has taken.
QString freshCopyPath(const QString& folder) {
    for (int n = 1;; ++n) {
        const QString path = QDir(folder).filePath(CopyPrefix + QString::number(n) + ".jpg");
        if (!QFile::exists(path))
            return path;
    }
}

} // namespace

QString fileToLoad(const QString& chosen, const QString& folder) {
    if (folder.isEmpty())
        return chosen;
    QFile file(chosen);
    if (!file.open(QIODevice::ReadOnly) || file.peek(3) != QByteArray("\xFF\xD8\xFF", 3) ||
        file.size() > PictureLimits::MaxJpegFileBytes)
        return chosen;
    if (JpegOrientation::read(file.peek(HeadBytes)) == 1)
        return chosen;
    const QByteArray bytes = file.readAll();
    // A damaged photo is not "repaired" by the turn: the loader refuses it as read.
    if (file.error() != QFileDevice::NoError || !StreamChecks::jpegComplete(bytes))
        return chosen;
    const std::optional<QByteArray> turned = JpegOrientation::upright(bytes);
    if (!turned)
        return chosen;
    const QString copy = freshCopyPath(folder);
    return AtomicReplace::replace(copy, *turned).ok ? copy : chosen;
}

void discard(const QString& path, const QString& folder) {
    if (isCopyIn(path, folder))
        QFile::remove(path);
}

} // namespace UprightPicture
