#include "platform/audio/Playlist.h"

#include "text/Cp932.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

namespace SourceText {

std::optional<QString> decode(const QByteArray& bytes) {
    if (bytes.contains('\0'))
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    if (std::optional<QString> japanese = Cp932::decode(bytes))
        return japanese;
    return QString::fromLatin1(bytes);
}

} // namespace SourceText

namespace Playlist {

std::vector<Entry> parse(const QString& text) {
    std::vector<Entry> entries;
    int line = 0;
    for (QStringView row :
         QStringView(text).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        ++line;
        const QStringView trimmed = row.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        entries.push_back(Entry{trimmed.toString(), line});
    }
    return entries;
}

Target resolve(const QString& entry, const QString& playlistFolder) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (entry.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QString local = QUrl(entry).toLocalFile();
        return Target{local.isEmpty() ? QString() : QDir::cleanPath(local), !local.isEmpty()};
    }
    // "C:\Music\a.mp3" is a Windows path, not an address; "http://..." is one.
    if (scheme.match(entry).hasMatch() && entry.contains(QLatin1String("://")))
        return Target{QString(), false};
    QString path = entry;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return Target{QDir::cleanPath(QDir(playlistFolder).filePath(path)), true};
}

namespace {
bool hasSuffix(const QString& path, std::initializer_list<const char*> suffixes) {
    for (const char* suffix : suffixes)
        if (path.endsWith(QLatin1String(suffix), Qt::CaseInsensitive))
            return true;
    return false;
}
} // namespace

bool isPlaylist(const QString& path) {
    return hasSuffix(path, {".m3u", ".m3u8"});
}

bool isCueSheet(const QString& path) {
    return hasSuffix(path, {".cue"});
}

} // namespace Playlist
