// gpctool tracks: the track list the editor's dialog would read from the same files, folders,
// playlists and cue sheets, in the same order.
#include "platform/audio/TrackReader.h"
#include "tools/gpctool/Commands.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace {

void printLine(std::FILE* out, const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}

template <typename T> QJsonValue orNull(const std::optional<T>& value) {
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QJsonObject toJson(const AudioTrack& track, int number) {
    return QJsonObject{{QStringLiteral("number"), number},
                       {QStringLiteral("track"), orNull(track.track)},
                       {QStringLiteral("disc"), orNull(track.disc)},
                       {QStringLiteral("title"), track.title},
                       {QStringLiteral("artist"), track.artist},
                       {QStringLiteral("album"), track.album},
                       {QStringLiteral("seconds"), orNull(track.seconds)},
                       {QStringLiteral("file"), track.file}};
}

} // namespace

int GpcTool::runTracks(const QStringList& args) {
    bool json = false;
    bool unknownOption = false;
    QStringList paths;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--json"))
            json = true;
        else if (arg.startsWith(QLatin1String("--")))
            unknownOption = true;
        else
            paths << arg;
    }
    if (paths.isEmpty() || unknownOption) {
        printLine(stderr, QStringLiteral("usage: gpctool tracks PATH... [--json]"));
        return UsageError;
    }
    const TrackReader::Result result = TrackReader::read(paths);
    for (const ReadProblem& problem : result.problems)
        printLine(stderr, QStringLiteral("gpctool: ") + TrackReader::english(problem));
    if (json) {
        QJsonArray list;
        for (std::size_t i = 0; i < result.tracks.size(); ++i)
            list.append(toJson(result.tracks[i], int(i) + 1));
        std::fputs(QJsonDocument(list).toJson(QJsonDocument::Indented).constData(), stdout);
    } else {
        for (std::size_t i = 0; i < result.tracks.size(); ++i) {
            const AudioTrack& track = result.tracks[i];
            QString line = QStringLiteral("%1. %2").arg(i + 1).arg(track.title);
            if (track.seconds)
                line += QStringLiteral(" (%1)").arg(AudioTime::minutesSeconds(*track.seconds));
            printLine(stdout, line);
        }
    }
    return result.tracks.empty() ? Refused : Success;
}
