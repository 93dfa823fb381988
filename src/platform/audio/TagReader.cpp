#include "platform/audio/TagReader.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <taglib/fileref.h>
#include <taglib/tdebuglistener.h>
#include <taglib/tfilestream.h>
#include <taglib/tpropertymap.h>
#include <unistd.h>

namespace TagReader {

namespace {

// A stream on a descriptor opened here, under its path's name so that TagLib still tells the
// kind of file from the suffix.
class NamedStream : public TagLib::FileStream {
public:
    NamedStream(int descriptor, QByteArray name)
        : TagLib::FileStream(descriptor, true), name_(std::move(name)) {}
    TagLib::FileName name() const override { return name_.constData(); }

private:
    QByteArray name_;
};

// TagLib's complaints about damaged files are ours to word, not its to print.
class Silence : public TagLib::DebugListener {
    void printMessage(const TagLib::String&) override {}
};

void silenceTagLib() {
    static Silence silence;
    static const bool once = (TagLib::setDebugListener(&silence), true);
    (void)once;
}

QString field(const TagLib::PropertyMap& properties, const char* key) {
    const auto found = properties.find(key);
    if (found == properties.end())
        return QString();
    QStringList values;
    for (const TagLib::String& value : found->second) {
        const TagLib::String cut = value.substr(0, MaxFieldCharacters);
        values << QString::fromUtf8(cut.toCString(true)).trimmed();
    }
    values.removeAll(QString());
    return values.join(QStringLiteral(", ")).left(MaxFieldCharacters);
}

// "3", "03" or "3/12" give 3; nothing for a missing or unreadable number.
std::optional<int> number(const QString& text) {
    static const QRegularExpression leading(QStringLiteral("^\\s*(\\d{1,6})"));
    const QRegularExpressionMatch match = leading.match(text);
    const int value = match.hasMatch() ? match.captured(1).toInt() : 0;
    return value > 0 ? std::optional<int>(value) : std::nullopt;
}

} // namespace

const QStringList& audioSuffixes() {
    static const QStringList suffixes = [] {
        QStringList list;
        for (const TagLib::String& suffix : TagLib::FileRef::defaultFileExtensions())
            list << QString::fromUtf8(suffix.toCString(true)).toLower();
        return list;
    }();
    return suffixes;
}

bool hasAudioSuffix(const QString& path) {
    return audioSuffixes().contains(QFileInfo(path).suffix().toLower());
}

Result read(const QString& path) {
    silenceTagLib();
    Result result;
    const RegularFile::Opened opened = RegularFile::open(path);
    if (opened.descriptor < 0) {
        result.problem = ReadProblem::ofFile(opened.problem);
        result.detail = opened.detail;
        return result;
    }
    NamedStream stream(opened.descriptor, QFile::encodeName(path));
    if (!stream.isOpen()) {
        ::close(opened.descriptor);
        result.problem = ReadProblem::Kind::Unreadable;
        return result;
    }
    const TagLib::FileRef file(&stream, true, TagLib::AudioProperties::Average);
    if (file.isNull()) {
        result.problem = ReadProblem::Kind::NotAudio;
        return result;
    }
    const TagLib::AudioProperties* audio = file.audioProperties();
    // A file of a kind TagLib knows in which it finds no stream at all.
    if (!audio || (audio->sampleRate() <= 0 && audio->lengthInMilliseconds() <= 0)) {
        result.problem = ReadProblem::Kind::Damaged;
        return result;
    }
    const TagLib::PropertyMap properties = file.file()->properties();
    AudioTrack track;
    track.file = path;
    track.title = field(properties, "TITLE");
    if (track.title.isEmpty())
        track.title = QFileInfo(path).completeBaseName().left(MaxFieldCharacters);
    if (track.title.isEmpty()) // ".mp3"
        track.title = QFileInfo(path).fileName();
    track.artist = field(properties, "ARTIST");
    track.album = field(properties, "ALBUM");
    track.albumArtist = field(properties, "ALBUMARTIST");
    track.track = number(field(properties, "TRACKNUMBER"));
    track.disc = number(field(properties, "DISCNUMBER"));
    track.seconds = audio->lengthInMilliseconds() / 1000.0;
    result.track = std::move(track);
    return result;
}

} // namespace TagReader
