#include "document/TemporaryFile.h"

#include <QFile>

namespace TemporaryFile {

bool write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                         file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        file.remove();
        return false;
    }
    return true;
}

} // namespace TemporaryFile
