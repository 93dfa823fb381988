// Reading track lists: tags of every kind of file through TagLib, folders, playlists and cue
// sheets in their orders, every kind of bad input with its reason, and gpctool's list.
#include "platform/audio/TrackReader.h"
#include "support/AudioFiles.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using AudioFiles::Format;
using Kind = ReadProblem::Kind;

namespace {

// "title|artist|album|track|disc|m:ss", what a test compares of a track.
QString describe(const AudioTrack& track) {
    const auto number = [](const std::optional<int>& value) {
        return value ? QString::number(*value) : QStringLiteral("-");
    };
    return QStringList{
        track.title,
        track.artist,
        track.album,
        number(track.track),
        number(track.disc),
        track.seconds ? AudioTime::minutesSeconds(*track.seconds) : QStringLiteral("?")}
        .join(u'|');
}

QStringList describe(const std::vector<AudioTrack>& tracks) {
    QStringList lines;
    for (const AudioTrack& track : tracks)
        lines << describe(track);
    return lines;
}

QList<int> kinds(const std::vector<ReadProblem>& problems) {
    QList<int> found;
    for (const ReadProblem& problem : problems)
        found << int(problem.kind);
    return found;
}

QString cueTrack(int number, const QString& title, const QString& index) {
    return QStringLiteral("  TRACK %1 AUDIO\n    TITLE \"%2\"\n%3")
        .arg(number, 2, 10, QLatin1Char('0'))
        .arg(title, index);
}

} // namespace

class TestTrackReading : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void readsInListOrder_data();
    void readsInListOrder();
    void reportsBadInput_data();
    void reportsBadInput();
    void cutsMegabyteTags();
    void stopsWhenCancelled();
    void gpctoolPrintsTheDialogsList();

private:
    QString path(const QString& relative) const { return dir_.filePath(relative); }
    void writeText(const QString& relative, const QString& text) {
        QVERIFY(TestFiles::writeFile(path(relative), text.toUtf8()));
    }
    void writeAudio(const QString& relative, Format format, double seconds,
                    const AudioFiles::Tags& tags = {}) {
        QVERIFY2(AudioFiles::write(path(relative), format, seconds, tags), qPrintable(relative));
    }

    QTemporaryDir temporary_;
    QDir dir_;
};

void TestTrackReading::initTestCase() {
    QVERIFY(temporary_.isValid());
    dir_ = QDir(temporary_.path());
    for (const char* folder : {"album", "album/sub", "untagged", "lists", "bad", "bad/empty"})
        QVERIFY(dir_.mkpath(QLatin1String(folder)));

    // An album in seven formats: two discs, a track 10, a file without tags.
    const QString album = QStringLiteral("夏のドライブ");
    writeAudio("album/01.flac", Format::Flac, 3,
               {QStringLiteral("海へ続く道"), "A", album, {}, "1/7", "1"});
    writeAudio("album/b.mp3", Format::Mp3, 2, {"Blue Horizon", "B", album, {}, "2", "1/2"});
    writeAudio("album/c.ogg", Format::OggVorbis, 4, {"Night Cruise", "C", album, {}, "10", {}});
    writeAudio("album/d.opus", Format::Opus, 5,
               {QStringLiteral("夕焼けの約束"), "D", album, {}, "3", "1"});
    writeAudio("album/e.m4a", Format::M4a, 6, {"Disc Two", "E", album, {}, "1", "2/2"});
    writeAudio("album/f.wav", Format::Wav, 1);
    writeAudio("album/g.aiff", Format::Aiff, 2, {"Morning", "G", album, {}, "4", {}});
    writeText("album/notes.txt", "not audio");
    writeAudio("album/sub/h.mp3", Format::Mp3, 1, {"Subfolder", {}, {}, {}, "1", {}});
    for (const char* name : {"untagged/track10.wav", "untagged/track2.wav", "untagged/Track1.wav"})
        writeAudio(QLatin1String(name), Format::Wav, 1);

    writeText("lists/mix.m3u",
              "../album/c.ogg\r\n#EXTINF:4,C - Night Cruise\r\n../album/b.mp3\r\n");
    writeText("lists/nested.m3u8", QStringLiteral("#EXTM3U\n日本語.m3u\n../album/01.flac\n"));
    writeText(QStringLiteral("lists/日本語.m3u"), "..\\album\\g.aiff\n");
    writeAudio("lists/image.wav", Format::Wav, 60);
    writeText("lists/disc.cue",
              QStringLiteral("REM DISCNUMBER 2\nPERFORMER \"P\"\nTITLE \"Live\"\n"
                             "FILE \"image.wav\" WAVE\n") +
                  cueTrack(1, "One", "    INDEX 00 00:00:00\n    INDEX 01 00:00:00\n") +
                  cueTrack(2, "Two", "    PERFORMER \"Q\"\n    INDEX 01 00:20:00\n") +
                  cueTrack(3, "Three", "    INDEX 01 00:35:00\n"));

    // Bad input.
    QCOMPARE(::mkfifo(QFile::encodeName(path("bad/fifo.mp3")).constData(), 0600), 0);
    QCOMPARE(::mkfifo(QFile::encodeName(path("bad/fifo.m3u")).constData(), 0600), 0);
    writeText("bad/folder.m3u", "../album\n../album/b.mp3\n");
    writeText("bad/self.m3u", "self.m3u\n../album/b.mp3\n");
    writeText("bad/loop-a.m3u", "loop-b.m3u\n../album/b.mp3\n");
    writeText("bad/loop-b.m3u", "loop-a.m3u\n../album/c.ogg\n");
    writeText("bad/device.m3u", "/dev/zero\n");
    writeText("bad/web.m3u", "http://example.com/a.mp3\nmissing.mp3\n");
    QVERIFY(TestFiles::writeFile(path("bad/damaged.mp3"), QByteArray(5000, 'x')));
    QVERIFY(TestFiles::writeFile(path("bad/damaged.flac"), "fLaCxxxx"));
    QVERIFY(TestFiles::writeFile(path("bad/huge.m3u"),
                                 QByteArray(TrackReader::MaxSheetBytes + 1, 'a')));
    QVERIFY(TestFiles::writeFile(path("bad/binary.m3u"), QByteArray("a.mp3\0\0\1", 8)));
    writeText("bad/empty/notes.txt", "nothing to hear");
    writeAudio("bad/image.wav", Format::Wav, 60);
    writeText("bad/broken.cue",
              QStringLiteral("FILE \"image.wav\" WAVE\n") +
                  cueTrack(1, "Fine", "    INDEX 01 00:10:00\n") +
                  cueTrack(2, "No index", "    INDEX 00 00:20:00\n") +
                  cueTrack(3, "Bad time", "    INDEX 01 00:70:00\n") +
                  cueTrack(4, "Past end", "    INDEX 01 02:00:00\n") +
                  QStringLiteral("  TRACK 05 MODE1/2352\n    INDEX 01 00:30:00\n") +
                  cueTrack(6, "Backwards", "    INDEX 01 00:05:00\n"));
    QString many = QStringLiteral("FILE \"image.wav\" WAVE\n");
    for (int i = 1; i <= 150; ++i)
        many += cueTrack(std::min(i, 99), QStringLiteral("T%1").arg(i),
                         QStringLiteral("    INDEX 01 00:%1:%2\n")
                             .arg(i * 20 / 75, 2, 10, QChar(u'0'))
                             .arg(i * 20 % 75, 2, 10, QChar(u'0')));
    writeText("bad/many.cue", many);
}

void TestTrackReading::readsInListOrder_data() {
    QTest::addColumn<QStringList>("sources");
    QTest::addColumn<QStringList>("expected");

    const QString album = QStringLiteral("夏のドライブ");
    const auto line = [&](const QString& title, const char* artist, const char* track,
                          const char* disc, const char* time) {
        return QStringList{title,
                           QLatin1String(artist),
                           *artist ? album : QString(),
                           QLatin1String(track),
                           QLatin1String(disc),
                           QLatin1String(time)}
            .join(u'|');
    };
    const QString one = line(QStringLiteral("海へ続く道"), "A", "1", "1", "0:03");
    const QString two = line("Blue Horizon", "B", "2", "1", "0:02");
    const QString three = line(QStringLiteral("夕焼けの約束"), "D", "3", "1", "0:05");
    const QString four = line("Morning", "G", "4", "-", "0:02");
    const QString ten = line("Night Cruise", "C", "10", "-", "0:04");
    const QString untagged = line("f", "", "-", "-", "0:01");
    const QString discTwo = line("Disc Two", "E", "1", "2", "0:06");
    const QStringList natural = {line("Track1", "", "-", "-", "0:01"),
                                 line("track2", "", "-", "-", "0:01"),
                                 line("track10", "", "-", "-", "0:01")};

    QTest::newRow("folder: disc, track, then name; every format's tags")
        << QStringList{"album"} << QStringList{one, two, three, four, ten, untagged, discTwo};
    QTest::newRow("files chosen sort as a folder does")
        << QStringList{"album/e.m4a", "album/f.wav", "album/01.flac"}
        << QStringList{one, untagged, discTwo};
    QTest::newRow("names without tags in natural order") << QStringList{"untagged"} << natural;
    QTest::newRow("playlist in its own order, relative paths")
        << QStringList{"lists/mix.m3u"} << QStringList{ten, two};
    QTest::newRow("nested playlists, Windows separators")
        << QStringList{"lists/nested.m3u8"} << QStringList{four, one};
    QTest::newRow("cue sheet: from each start to the next, the last to the file's end")
        << QStringList{"lists/disc.cue"}
        << QStringList{"One|P|Live|1|2|0:20", "Two|Q|Live|2|2|0:15", "Three|P|Live|3|2|0:25"};
    QTest::newRow("sources in the order given")
        << QStringList{"lists/mix.m3u", "untagged"} << QStringList{ten, two} + natural;
}

void TestTrackReading::readsInListOrder() {
    QFETCH(QStringList, sources);
    QFETCH(QStringList, expected);
    QStringList paths;
    for (const QString& source : sources)
        paths << path(source);
    const TrackReader::Result result = TrackReader::read(paths);
    for (const ReadProblem& problem : result.problems)
        qWarning() << TrackReader::english(problem);
    QVERIFY(result.problems.empty());
    QCOMPARE(describe(result.tracks), expected);
}

void TestTrackReading::reportsBadInput_data() {
    QTest::addColumn<QStringList>("sources");
    QTest::addColumn<int>("tracks");
    QTest::addColumn<QList<int>>("problems");

    const auto list = [](std::initializer_list<Kind> found) {
        QList<int> values;
        for (Kind kind : found)
            values << int(kind);
        return values;
    };
    QTest::newRow("FIFO named like audio")
        << QStringList{"bad/fifo.mp3"} << 0 << list({Kind::NotRegularFile});
    QTest::newRow("FIFO named like a playlist")
        << QStringList{"bad/fifo.m3u"} << 0 << list({Kind::NotRegularFile});
    QTest::newRow("device in a playlist")
        << QStringList{"bad/device.m3u"} << 0 << list({Kind::NotRegularFile});
    QTest::newRow("folder in a playlist")
        << QStringList{"bad/folder.m3u"} << 1 << list({Kind::Folder});
    QTest::newRow("playlist naming itself")
        << QStringList{"bad/self.m3u"} << 1 << list({Kind::AlreadyRead});
    QTest::newRow("playlists naming each other")
        << QStringList{"bad/loop-a.m3u"} << 2 << list({Kind::AlreadyRead});
    QTest::newRow("web address, missing file")
        << QStringList{"bad/web.m3u"} << 0 << list({Kind::NotLocal, Kind::Missing});
    QTest::newRow("damaged audio") << QStringList{"bad/damaged.mp3", "bad/damaged.flac"} << 0
                                   << list({Kind::Damaged, Kind::NotAudio});
    QTest::newRow("playlist too large")
        << QStringList{"bad/huge.m3u"} << 0 << list({Kind::SheetTooLarge});
    QTest::newRow("playlist not text")
        << QStringList{"bad/binary.m3u"} << 0 << list({Kind::NotText});
    QTest::newRow("folder without audio")
        << QStringList{"bad/empty"} << 0 << list({Kind::NoAudioFiles});
    QTest::newRow("cue: no index, bad time, past the end, data, backwards")
        << QStringList{"bad/broken.cue"} << 1
        << list({Kind::CueNoIndex, Kind::CueBadTime, Kind::CuePastEnd, Kind::CueDataTrack,
                 Kind::CueBeforePrevious});
    QList<int> beyond;
    for (int i = 0; i < 150 - 99; ++i)
        beyond << int(Kind::CueBeyondLimit);
    QTest::newRow("cue with 150 tracks") << QStringList{"bad/many.cue"} << 99 << beyond;
}

void TestTrackReading::reportsBadInput() {
    QFETCH(QStringList, sources);
    QFETCH(int, tracks);
    QFETCH(QList<int>, problems);
    QStringList paths;
    for (const QString& source : sources)
        paths << path(source);
    const TrackReader::Result result = TrackReader::read(paths);
    QCOMPARE(int(result.tracks.size()), tracks);
    QCOMPARE(kinds(result.problems), problems);
    for (const ReadProblem& problem : result.problems)
        QVERIFY(TrackReader::english(problem).contains(QLatin1String(": ")));
}

void TestTrackReading::cutsMegabyteTags() {
    const QString title = QString(2 * 1024 * 1024, QChar(u'あ'));
    writeAudio("big.mp3", Format::Mp3, 1, {title, title, {}, {}, "1", {}});
    const TrackReader::Result result = TrackReader::read({path("big.mp3")});
    QCOMPARE(int(result.tracks.size()), 1);
    QCOMPARE(result.tracks[0].title, title.left(100));
    QCOMPARE(result.tracks[0].artist.size(), 100);
}

void TestTrackReading::stopsWhenCancelled() {
    std::atomic<bool> cancel = false;
    int seen = 0;
    TrackReader::Listener listener;
    listener.cancel = &cancel;
    listener.track = [&](const AudioTrack&) {
        if (++seen == 2)
            cancel = true;
    };
    const TrackReader::Result result = TrackReader::read({path("album")}, listener);
    QVERIFY(result.cancelled);
    QCOMPARE(int(result.tracks.size()), 2);
}

void TestTrackReading::gpctoolPrintsTheDialogsList() {
    const QString tool = qEnvironmentVariable("GPCTOOL");
    QProcess process;
    process.start(tool, {"tracks", path("album"), path("bad/damaged.mp3")});
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), 0);
    const TrackReader::Result result = TrackReader::read({path("album")});
    QStringList expected;
    for (std::size_t i = 0; i < result.tracks.size(); ++i)
        expected << QStringLiteral("%1. %2 (%3)")
                        .arg(i + 1)
                        .arg(result.tracks[i].title,
                             AudioTime::minutesSeconds(*result.tracks[i].seconds));
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
             expected);
    QCOMPARE(QString::fromUtf8(process.readAllStandardError()),
             QStringLiteral("gpctool: %1: damaged: no audio found in it\n")
                 .arg(path("bad/damaged.mp3")));

    process.start(tool, {"tracks", "--json", path("lists/disc.cue")});
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), 0);
    const QJsonArray list = QJsonDocument::fromJson(process.readAllStandardOutput()).array();
    QCOMPARE(list.size(), 3);
    const QJsonObject second = list[1].toObject();
    QCOMPARE(second.keys(), QStringList({"album", "artist", "disc", "file", "number", "seconds",
                                         "title", "track"}));
    QCOMPARE(second["number"].toInt(), 2);
    QCOMPARE(second["track"].toInt(), 2);
    QCOMPARE(second["disc"].toInt(), 2);
    QCOMPARE(second["title"].toString(), QStringLiteral("Two"));
    QCOMPARE(second["seconds"].toDouble(), 15.0);
    QCOMPARE(second["file"].toString(), path("lists/image.wav"));

    process.start(tool, {"tracks", path("bad/fifo.mp3"), path("bad/empty")});
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), 1);
    QCOMPARE(QString::fromUtf8(process.readAllStandardError()).count(u'\n'), 2);
}

QTEST_GUILESS_MAIN(TestTrackReading)
#include "test_track_reading.moc"
