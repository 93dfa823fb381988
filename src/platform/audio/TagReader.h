#pragma once

#include "platform/audio/AudioTrack.h"

#include <QStringList>
#include <optional>

// One audio file's tags and length, through TagLib. Only a regular file is opened, and it is opened
// without waiting, so that a FIFO or a device named like an audio file never blocks the reader.
namespace TagReader {

// No text item holds more than 100 bytes, so a longer tag is cut here: a title of megabytes costs
// nothing further on, and the line made from it is still too long to be stored.
inline constexpr int MaxFieldCharacters = 100;

// The suffixes of the files TagLib reads ("mp3", "flac"...), lower case.
const QStringList& audioSuffixes();
bool hasAudioSuffix(const QString& path);

struct Result {
    std::optional<AudioTrack> track; // file, title, artist, album, albumArtist, numbers, seconds
    ReadProblem::Kind problem = ReadProblem::Kind::Missing;
    QString detail;
};

Result read(const QString& path);

} // namespace TagReader
