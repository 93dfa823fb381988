#include "tracklayout/TrackLines.h"

#include "document/LabelFileCodec.h"
#include "merge/Placeholders.h"

#include <QHash>

namespace TrackLines {

namespace {

bool known(const QString& name) {
    return name == Placeholders::RowNumber || name == TrackNumber || name == Title ||
           name == Artist || name == Album || name == Time;
}

// A track's value for a placeholder; empty when the track has none.
QString valueOf(const AudioTrack& track, int number, const QString& name) {
    if (name == Placeholders::RowNumber)
        return QString::number(number);
    if (name == TrackNumber)
        return track.track ? QString::number(*track.track) : QString();
    if (name == Title)
        return track.title;
    if (name == Artist)
        return track.artist;
    if (name == Album)
        return track.album;
    if (name == Time)
        return track.seconds ? AudioTime::minutesSeconds(*track.seconds) : QString();
    return QString();
}

Line finish(QString text, const QString& fontName, bool replaceUnstorable) {
    Line line;
    if (replaceUnstorable) {
        Cp932::NearestResult nearest = Cp932::nearestForm(text);
        text = std::move(nearest.text);
        line.replacements = std::move(nearest.replacements);
    }
    line.text = std::move(text);
    line.check = check(line.text, fontName);
    return line;
}

} // namespace

QStringList unknownNames(const QString& pattern) {
    QStringList unknown;
    for (const QString& name : Placeholders::names(pattern))
        if (!known(name) && !unknown.contains(name))
            unknown << name;
    return unknown;
}

Check check(const QString& text, const QString& fontName) {
    Check result;
    if (text.trimmed().isEmpty()) {
        result.kind = Check::Kind::Empty;
        return result;
    }
    if (text.contains(u'\n') || text.contains(u'\r')) {
        result.kind = Check::Kind::LineBreak;
        return result;
    }
    const LabelFileCodec::StringsFit fit = LabelFileCodec::stringsFit(text, fontName);
    switch (fit.problem) {
    case LabelFileCodec::StringsFit::Problem::None:
        break;
    case LabelFileCodec::StringsFit::Problem::TextCharacter:
        result.kind = Check::Kind::NotCp932;
        result.detail = fit.character;
        break;
    case LabelFileCodec::StringsFit::Problem::FontCharacter:
        result.kind = Check::Kind::FontNotCp932;
        result.detail = fit.character;
        break;
    case LabelFileCodec::StringsFit::Problem::TooLong:
        result.kind = Check::Kind::TooLong;
        result.bytes = int(fit.bytes);
        result.limit = LabelFileCodec::MaxItemStringBytes;
        break;
    }
    return result;
}

Line fill(const QString& pattern, const AudioTrack& track, int number, const QString& fontName,
          bool replaceUnstorable) {
    // A missing value would leave a line that reads wrong ("3.  - "), so it is named instead.
    for (const QString& name : Placeholders::names(pattern)) {
        if (known(name) && valueOf(track, number, name).isEmpty()) {
            Line line;
            line.text = Placeholders::fill(
                pattern, [&](const QString& each) { return valueOf(track, number, each); });
            line.check.kind = Check::Kind::Missing;
            line.check.detail = name;
            return line;
        }
    }
    return finish(Placeholders::fill(
                      pattern, [&](const QString& name) { return valueOf(track, number, name); }),
                  fontName, replaceUnstorable);
}

QString albumTitle(const std::vector<AudioTrack>& tracks, bool withArtist) {
    QHash<QString, int> counts;
    QString album;
    for (const AudioTrack& track : tracks) {
        if (track.album.isEmpty())
            continue;
        const int count = ++counts[track.album];
        if (album.isEmpty() || count > counts.value(album))
            album = track.album;
    }
    if (album.isEmpty() || !withArtist)
        return album;
    // The album's own artist where a tag names one, else the one artist all its tracks share.
    QString artist;
    bool shared = true;
    for (const AudioTrack& track : tracks) {
        if (track.album != album)
            continue;
        if (!track.albumArtist.isEmpty())
            return album + QStringLiteral(" / ") + track.albumArtist;
        if (artist.isEmpty())
            artist = track.artist;
        else if (track.artist != artist)
            shared = false;
    }
    return shared && !artist.isEmpty() ? album + QStringLiteral(" / ") + artist : album;
}

Line titleLine(const QString& text, const QString& fontName, bool replaceUnstorable) {
    return finish(text, fontName, replaceUnstorable);
}

} // namespace TrackLines
