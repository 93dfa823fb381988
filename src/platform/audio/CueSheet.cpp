#include "platform/audio/CueSheet.h"

#include <QRegularExpression>
#include <QStringList>

namespace CueSheet {

namespace {

// The words of a line; a quoted word keeps its blanks and loses its quotes.
QStringList words(QStringView line) {
    QStringList found;
    qsizetype at = 0;
    while (at < line.size()) {
        while (at < line.size() && line[at].isSpace())
            ++at;
        if (at >= line.size())
            break;
        if (line[at] == u'"') {
            const qsizetype close = line.indexOf(u'"', at + 1);
            const qsizetype end = close < 0 ? line.size() : close;
            found << line.mid(at + 1, end - at - 1).toString();
            at = end + 1;
            continue;
        }
        qsizetype end = at;
        while (end < line.size() && !line[end].isSpace())
            ++end;
        found << line.mid(at, end - at).toString();
        at = end;
    }
    return found;
}

// mm:ss:ff, seconds below 60 and frames below 75; minutes may pass 99 on long files.
std::optional<qint64> frames(const QString& text) {
    static const QRegularExpression time(QStringLiteral("^(\\d{1,6}):(\\d{1,2}):(\\d{1,2})$"));
    const QRegularExpressionMatch match = time.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const qint64 minutes = match.captured(1).toLongLong();
    const int seconds = match.captured(2).toInt();
    const int frame = match.captured(3).toInt();
    if (seconds >= 60 || frame >= FramesPerSecond)
        return std::nullopt;
    return (minutes * 60 + seconds) * FramesPerSecond + frame;
}

int trackNumber(const QString& text) {
    bool ok = false;
    const int number = text.toInt(&ok);
    return ok && number >= 1 && number <= MaxTracks && text.size() <= 3 ? number : 0;
}

QString at(const QStringList& list, int index) {
    return list.value(index);
}

} // namespace

bool Track::audio() const {
    return type.compare(QLatin1String("AUDIO"), Qt::CaseInsensitive) == 0;
}

Sheet parse(const QString& text) {
    Sheet sheet;
    int lineNumber = 0;
    for (QStringView line :
         QStringView(text).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        ++lineNumber;
        const QStringList parts = words(line);
        if (parts.isEmpty())
            continue;
        const QString command = parts.first().toUpper();
        Track* track = sheet.tracks.empty() ? nullptr : &sheet.tracks.back();
        if (command == QLatin1String("FILE")) {
            sheet.files.push_back(File{at(parts, 1), lineNumber});
        } else if (command == QLatin1String("TRACK")) {
            Track added;
            added.line = lineNumber;
            added.fileIndex = int(sheet.files.size()) - 1;
            added.numberText = at(parts, 1);
            added.number = trackNumber(added.numberText);
            added.type = at(parts, 2);
            sheet.tracks.push_back(std::move(added));
        } else if (command == QLatin1String("TITLE")) {
            (track ? track->title : sheet.title) = at(parts, 1);
        } else if (command == QLatin1String("PERFORMER")) {
            (track ? track->performer : sheet.performer) = at(parts, 1);
        } else if (command == QLatin1String("INDEX") && track && at(parts, 1).toInt() == 1 &&
                   !track->startFrames && track->badTime.isEmpty()) {
            track->startFrames = frames(at(parts, 2));
            if (!track->startFrames)
                track->badTime = at(parts, 2).isEmpty() ? QStringLiteral("?") : at(parts, 2);
        } else if (command == QLatin1String("REM") && !track &&
                   at(parts, 1).compare(QLatin1String("DISCNUMBER"), Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const int disc = at(parts, 2).toInt(&ok);
            if (ok && disc > 0)
                sheet.disc = disc;
        }
    }
    return sheet;
}

std::vector<Timing> time(const Sheet& sheet,
                         const std::vector<std::optional<double>>& fileSeconds) {
    std::vector<Timing> timings(sheet.tracks.size());
    const auto refuse = [&](std::size_t index, ReadProblem::Kind kind, const QString& detail) {
        timings[index].problem = kind;
        timings[index].detail = detail;
    };
    for (std::size_t i = 0; i < sheet.tracks.size(); ++i) {
        const Track& track = sheet.tracks[i];
        if (track.fileIndex < 0)
            refuse(i, ReadProblem::Kind::CueNoFile, QString());
        else if (i >= std::size_t(MaxTracks))
            refuse(i, ReadProblem::Kind::CueBeyondLimit, QString());
        else if (track.number == 0)
            refuse(i, ReadProblem::Kind::CueTrackNumber, track.numberText);
        else if (!track.audio())
            refuse(i, ReadProblem::Kind::CueDataTrack, track.type);
        else if (!track.badTime.isEmpty())
            refuse(i, ReadProblem::Kind::CueBadTime, track.badTime);
        else if (!track.startFrames)
            refuse(i, ReadProblem::Kind::CueNoIndex, QString());
    }
    // Per file: starts must go forwards and lie before the file's end.
    std::vector<std::vector<std::size_t>> byFile(sheet.files.size());
    for (std::size_t i = 0; i < sheet.tracks.size(); ++i)
        if (!timings[i].problem)
            byFile[std::size_t(sheet.tracks[i].fileIndex)].push_back(i);
    for (std::size_t file = 0; file < byFile.size(); ++file) {
        const bool lengthKnown = file < fileSeconds.size() && fileSeconds[file].has_value();
        const double length = lengthKnown ? *fileSeconds[file] : 0.0;
        std::vector<std::size_t> usable;
        for (const std::size_t i : byFile[file]) {
            const qint64 startFrames = *sheet.tracks[i].startFrames;
            const double start = double(startFrames) / FramesPerSecond;
            if (!usable.empty() && startFrames <= *sheet.tracks[usable.back()].startFrames)
                refuse(i, ReadProblem::Kind::CueBeforePrevious, QString());
            else if (lengthKnown && start >= length)
                refuse(i, ReadProblem::Kind::CuePastEnd,
                       AudioTime::minutesSeconds(start) + u' ' + AudioTime::minutesSeconds(length));
            else
                usable.push_back(i);
        }
        for (std::size_t k = 0; k < usable.size(); ++k) {
            const double start = double(*sheet.tracks[usable[k]].startFrames) / FramesPerSecond;
            if (k + 1 < usable.size())
                timings[usable[k]].seconds =
                    double(*sheet.tracks[usable[k + 1]].startFrames) / FramesPerSecond - start;
            else if (lengthKnown)
                timings[usable[k]].seconds = length - start;
        }
    }
    return timings;
}

} // namespace CueSheet
