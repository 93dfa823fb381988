#include "platform/audio/TrackReader.h"

#include "platform/audio/CueSheet.h"
#include "platform/audio/Playlist.h"
#include "platform/audio/TagReader.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

namespace AudioTime {

QString minutesSeconds(double seconds) {
    const qint64 whole = std::isfinite(seconds) && seconds > 0 ? std::llround(seconds) : 0;
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

} // namespace AudioTime

namespace TrackOrder {

namespace {
// The C locale's collator compares code points and knows no numbers; the interface's own does.
QCollator& naturalOrder() {
    thread_local QCollator collator = [] {
        QCollator made{QLocale(QLocale::Japanese, QLocale::Japan)};
        made.setNumericMode(true);
        made.setCaseSensitivity(Qt::CaseInsensitive);
        return made;
    }();
    return collator;
}
} // namespace

bool before(const AudioTrack& a, const AudioTrack& b) {
    if (a.group != b.group)
        return a.group < b.group;
    if (a.ordinal >= 0 || b.ordinal >= 0)
        return a.ordinal < b.ordinal;
    const int discA = a.disc.value_or(1), discB = b.disc.value_or(1);
    if (discA != discB)
        return discA < discB;
    const int trackA = a.track.value_or(INT_MAX), trackB = b.track.value_or(INT_MAX);
    if (trackA != trackB)
        return trackA < trackB;
    const int byName =
        naturalOrder().compare(QFileInfo(a.file).fileName(), QFileInfo(b.file).fileName());
    if (byName != 0)
        return byName < 0;
    return naturalOrder().compare(a.file, b.file) < 0;
}

void sort(std::vector<AudioTrack>& tracks) {
    std::stable_sort(tracks.begin(), tracks.end(), before);
}

} // namespace TrackOrder

namespace TrackReader {

namespace {

// A file to read tags from, or a cue sheet whose files' lengths are to be read.
struct Job {
    QString path;
    QString source;
    int line = 0;
    int group = 0;
    int ordinal = -1; // a cue sheet's first track's
    std::shared_ptr<const CueSheet::Sheet> sheet;
};

// The sources walked into the files to read. Quick: folders are listed and playlists parsed, but
// no audio file is opened yet.
class Walk {
public:
    Walk(const Listener& listener, Result& result) : listener_(listener), result_(result) {}

    void given(const QString& path);
    std::vector<Job> jobs;

private:
    void playlist(const QString& path, const QString& source, int line, int depth);
    void cueSheet(const QString& path, const QString& source, int line);
    void entry(const QString& path, const QString& source, int line, int depth);
    void folder(const QString& path);
    void audioFile(const QString& path, const QString& source, int line, int ordinal);
    std::optional<QString> sheetText(const QString& path, const QString& source, int line);
    bool firstVisit(const QString& path, const QString& source, int line);
    bool room(int tracks);
    void startGroup(bool loose);
    void report(ReadProblem problem);

    const Listener& listener_;
    Result& result_;
    QSet<QString> visited_;
    int group_ = -1;
    bool looseGroup_ = false;
    int ordinal_ = 0;
    int tracks_ = 0;
    bool full_ = false;
};

void Walk::report(ReadProblem problem) {
    if (listener_.problem)
        listener_.problem(problem);
    result_.problems.push_back(std::move(problem));
}

// Past MaxTracks nothing more is read, and that is said once.
bool Walk::room(int tracks) {
    if (full_)
        return false;
    if (tracks_ + tracks > MaxTracks) {
        full_ = true;
        report(ReadProblem{ReadProblem::Kind::TooManyTracks, QString(), QString(), 0, 0,
                           QString::number(MaxTracks)});
        return false;
    }
    tracks_ += tracks;
    return true;
}

void Walk::startGroup(bool loose) {
    if (loose && looseGroup_)
        return;
    ++group_;
    looseGroup_ = loose;
    ordinal_ = 0;
}

void Walk::given(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir()) {
        startGroup(true);
        folder(path);
    } else if (Playlist::isPlaylist(path)) {
        startGroup(false);
        playlist(path, QString(), 0, 0);
    } else if (Playlist::isCueSheet(path)) {
        startGroup(false);
        cueSheet(path, QString(), 0);
    } else {
        startGroup(true);
        audioFile(path, QString(), 0, -1);
    }
}

void Walk::folder(const QString& path) {
    const QFileInfoList files =
        QDir(path).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    int found = 0;
    for (const QFileInfo& file : files) {
        if (listener_.cancel && *listener_.cancel)
            return;
        if (!TagReader::hasAudioSuffix(file.fileName()))
            continue;
        ++found;
        audioFile(QDir(path).filePath(file.fileName()), QString(), 0, -1);
    }
    if (found == 0 && !full_)
        report(ReadProblem{ReadProblem::Kind::NoAudioFiles, path, QString(), 0, 0, QString()});
}

void Walk::audioFile(const QString& path, const QString& source, int line, int ordinal) {
    if (room(1))
        jobs.push_back(Job{path, source, line, group_, ordinal, nullptr});
}

bool Walk::firstVisit(const QString& path, const QString& source, int line) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty() || !visited_.contains(canonical)) {
        visited_.insert(canonical);
        return true;
    }
    report(ReadProblem{ReadProblem::Kind::AlreadyRead, path, source, line, 0, QString()});
    return false;
}

std::optional<QString> Walk::sheetText(const QString& path, const QString& source, int line) {
    const RegularFile::Contents contents = RegularFile::read(path, MaxSheetBytes);
    if (!contents.bytes) {
        report(ReadProblem{ReadProblem::ofFile(contents.problem), path, source, line, 0,
                           contents.detail});
        return std::nullopt;
    }
    std::optional<QString> text = SourceText::decode(*contents.bytes);
    if (!text)
        report(ReadProblem{ReadProblem::Kind::NotText, path, source, line, 0, QString()});
    return text;
}

void Walk::playlist(const QString& path, const QString& source, int line, int depth) {
    if (depth > MaxNesting) {
        report(ReadProblem{ReadProblem::Kind::TooDeep, path, source, line, 0,
                           QString::number(MaxNesting)});
        return;
    }
    if (!firstVisit(path, source, line))
        return;
    const std::optional<QString> text = sheetText(path, source, line);
    if (!text)
        return;
    const std::vector<Playlist::Entry> entries = Playlist::parse(*text);
    if (entries.empty())
        report(ReadProblem{ReadProblem::Kind::NoTracks, path, source, line, 0, QString()});
    const QString folder = QFileInfo(path).path();
    for (const Playlist::Entry& listed : entries) {
        if (full_ || (listener_.cancel && *listener_.cancel))
            return;
        const Playlist::Target target = Playlist::resolve(listed.text, folder);
        if (!target.local) {
            report(ReadProblem{ReadProblem::Kind::NotLocal, listed.text, path, listed.line, 0,
                               QString()});
            continue;
        }
        entry(target.path, path, listed.line, depth);
    }
}

void Walk::entry(const QString& path, const QString& source, int line, int depth) {
    if (Playlist::isPlaylist(path))
        playlist(path, source, line, depth + 1);
    else if (Playlist::isCueSheet(path))
        cueSheet(path, source, line);
    else
        audioFile(path, source, line, ordinal_++);
}

void Walk::cueSheet(const QString& path, const QString& source, int line) {
    if (!firstVisit(path, source, line))
        return;
    const std::optional<QString> text = sheetText(path, source, line);
    if (!text)
        return;
    auto sheet = std::make_shared<CueSheet::Sheet>(CueSheet::parse(*text));
    if (sheet->tracks.empty()) {
        report(ReadProblem{ReadProblem::Kind::NoTracks, path, source, line, 0, QString()});
        return;
    }
    const int tracks = int(std::min<std::size_t>(sheet->tracks.size(), CueSheet::MaxTracks));
    if (!room(tracks))
        return;
    jobs.push_back(Job{path, source, line, group_, ordinal_, std::move(sheet)});
    ordinal_ += int(jobs.back().sheet->tracks.size());
}

// ---- Reading the files ----------------------------------------------------------------------

class Reading {
public:
    Reading(const Listener& listener, Result& result) : listener_(listener), result_(result) {}
    void audioFile(const Job& job);
    void cueSheet(const Job& job);

private:
    void add(AudioTrack track);
    void report(ReadProblem problem);

    const Listener& listener_;
    Result& result_;
};

void Reading::add(AudioTrack track) {
    if (listener_.track)
        listener_.track(track);
    result_.tracks.push_back(std::move(track));
}

void Reading::report(ReadProblem problem) {
    if (listener_.problem)
        listener_.problem(problem);
    result_.problems.push_back(std::move(problem));
}

void Reading::audioFile(const Job& job) {
    TagReader::Result read = TagReader::read(job.path);
    if (!read.track) {
        report(ReadProblem{read.problem, job.path, job.source, job.line, 0, read.detail});
        return;
    }
    read.track->group = job.group;
    read.track->ordinal = job.ordinal;
    add(std::move(*read.track));
}

// A track without a title of its own takes its file's name when the file holds it alone.
QString cueTitle(const CueSheet::Track& track, const QString& file, int tracksInFile) {
    if (!track.title.isEmpty())
        return track.title.left(TagReader::MaxFieldCharacters);
    const QString name = QFileInfo(file).completeBaseName();
    if (tracksInFile == 1 && !name.isEmpty())
        return name.left(TagReader::MaxFieldCharacters);
    return QStringLiteral("Track %1").arg(track.number, 2, 10, QLatin1Char('0'));
}

void Reading::cueSheet(const Job& job) {
    const CueSheet::Sheet& sheet = *job.sheet;
    const QString folder = QFileInfo(job.path).path();
    std::vector<int> tracksInFile(sheet.files.size(), 0);
    for (const CueSheet::Track& track : sheet.tracks)
        if (track.fileIndex >= 0)
            ++tracksInFile[std::size_t(track.fileIndex)];
    std::vector<QString> files;
    std::vector<std::optional<double>> lengths;
    QHash<QString, std::optional<double>> known; // a sheet may name one file many times
    for (std::size_t i = 0; i < sheet.files.size(); ++i) {
        const CueSheet::File& file = sheet.files[i];
        const Playlist::Target target = Playlist::resolve(file.name, folder);
        files.push_back(target.path);
        lengths.emplace_back();
        // Only the files that tracks use are read, each once.
        if (tracksInFile[i] == 0)
            continue;
        if (known.contains(target.path)) {
            lengths.back() = known.value(target.path);
            continue;
        }
        const TagReader::Result read =
            target.local ? TagReader::read(target.path)
                         : TagReader::Result{std::nullopt, ReadProblem::Kind::NotLocal, QString()};
        if (read.track)
            lengths.back() = read.track->seconds;
        else
            report(ReadProblem{read.problem, target.local ? target.path : file.name, job.path,
                               file.line, 0, read.detail});
        known.insert(target.path, lengths.back());
    }
    const std::vector<CueSheet::Timing> timings = CueSheet::time(sheet, lengths);
    for (std::size_t i = 0; i < sheet.tracks.size(); ++i) {
        const CueSheet::Track& track = sheet.tracks[i];
        if (timings[i].problem) {
            report(ReadProblem{*timings[i].problem, job.path, QString(), track.line, track.number,
                               timings[i].detail});
            continue;
        }
        AudioTrack line;
        line.file = files[std::size_t(track.fileIndex)];
        line.track = track.number;
        line.disc = sheet.disc;
        line.title = cueTitle(track, line.file, tracksInFile[std::size_t(track.fileIndex)]);
        line.artist = (track.performer.isEmpty() ? sheet.performer : track.performer)
                          .left(TagReader::MaxFieldCharacters);
        line.album = sheet.title.left(TagReader::MaxFieldCharacters);
        line.albumArtist = sheet.performer.left(TagReader::MaxFieldCharacters);
        line.seconds = timings[i].seconds;
        line.group = job.group;
        line.ordinal = job.ordinal + int(i);
        add(std::move(line));
    }
}

} // namespace

Result read(const QStringList& paths, const Listener& listener) {
    Result result;
    const auto cancelled = [&] { return listener.cancel && listener.cancel->load(); };
    Walk walk(listener, result);
    for (const QString& path : paths) {
        if (cancelled())
            break;
        walk.given(path);
    }
    Reading reading(listener, result);
    const int total = int(walk.jobs.size());
    for (int done = 0; done < total; ++done) {
        if (listener.progress)
            listener.progress(done, total);
        if (cancelled())
            break;
        const Job& job = walk.jobs[std::size_t(done)];
        if (job.sheet)
            reading.cueSheet(job);
        else
            reading.audioFile(job);
    }
    result.cancelled = cancelled();
    if (listener.progress && !result.cancelled)
        listener.progress(total, total);
    TrackOrder::sort(result.tracks);
    return result;
}

QString english(const ReadProblem& problem) {
    using Kind = ReadProblem::Kind;
    QString reason;
    switch (problem.kind) {
    case Kind::Missing:
        reason = QStringLiteral("no such file or folder");
        break;
    case Kind::Unreadable:
        reason = QStringLiteral("cannot be read: %1").arg(problem.detail);
        break;
    case Kind::NotRegularFile:
        reason = QStringLiteral("not a regular file (a FIFO, a device or a socket); skipped");
        break;
    case Kind::Folder:
        reason = QStringLiteral("a folder; only files are read from a list");
        break;
    case Kind::NotAudio:
        reason = QStringLiteral("not an audio file that TagLib reads");
        break;
    case Kind::Damaged:
        reason = QStringLiteral("damaged: no audio found in it");
        break;
    case Kind::NoAudioFiles:
        reason = QStringLiteral("no audio files in this folder");
        break;
    case Kind::NotLocal:
        reason = QStringLiteral("not a local file");
        break;
    case Kind::AlreadyRead:
        reason = QStringLiteral("already read; each list is read once");
        break;
    case Kind::TooDeep:
        reason = QStringLiteral("playlists nested more than %1 deep").arg(problem.detail);
        break;
    case Kind::SheetTooLarge:
        reason = QStringLiteral("larger than %1 bytes, too large for a playlist or cue sheet")
                     .arg(MaxSheetBytes);
        break;
    case Kind::NotText:
        reason = QStringLiteral("not a text file");
        break;
    case Kind::NoTracks:
        reason = QStringLiteral("names no tracks");
        break;
    case Kind::TooManyTracks:
        reason = QStringLiteral("more than %1 tracks; the rest were not read").arg(problem.detail);
        break;
    case Kind::CueNoFile:
        reason = QStringLiteral("comes before any FILE line");
        break;
    case Kind::CueDataTrack:
        reason = QStringLiteral("a %1 track, not audio").arg(problem.detail);
        break;
    case Kind::CueTrackNumber:
        reason =
            QStringLiteral("numbered \"%1\"; tracks are numbered 01 to 99").arg(problem.detail);
        break;
    case Kind::CueBeyondLimit:
        reason = QStringLiteral("past the %1 tracks a cue sheet holds").arg(CueSheet::MaxTracks);
        break;
    case Kind::CueNoIndex:
        reason = QStringLiteral("no INDEX 01");
        break;
    case Kind::CueBadTime:
        reason = QStringLiteral("INDEX 01 time \"%1\" is not mm:ss:ff").arg(problem.detail);
        break;
    case Kind::CueBeforePrevious:
        reason = QStringLiteral("does not start after the track before it");
        break;
    case Kind::CuePastEnd:
        reason = QStringLiteral("starts at %1, past the end of its file (%2)")
                     .arg(problem.detail.section(u' ', 0, 0), problem.detail.section(u' ', 1, 1));
        break;
    }
    QString where = problem.path;
    const bool cueTrack = problem.kind >= Kind::CueNoFile;
    if (cueTrack)
        where += problem.cueTrack > 0
                     ? QStringLiteral(" track %1").arg(problem.cueTrack, 2, 10, QLatin1Char('0'))
                     : QString();
    if (problem.line > 0)
        where += problem.source.isEmpty()
                     ? QStringLiteral(" (line %1)").arg(problem.line)
                     : QStringLiteral(" (%1, line %2)").arg(problem.source).arg(problem.line);
    return where.isEmpty() ? reason : where + QStringLiteral(": ") + reason;
}

} // namespace TrackReader
