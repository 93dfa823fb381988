#pragma once

#include <QString>

// Short silent audio files written byte by byte and tagged through TagLib, so that tests and
// benchmarks need no encoder.
namespace AudioFiles {

enum class Format { Wav, Aiff, Mp3, Flac, OggVorbis, Opus, M4a };

// Empty fields are left out; with all of them empty the file has no tags at all.
struct Tags {
    QString title;
    QString artist;
    QString album;
    QString albumArtist;
    QString track; // "3" or "3/12"
    QString disc;
};

QString suffix(Format format);

// About `seconds` of silence (MP3 rounds to whole frames of 26 ms). False when it could not be
// written or tagged.
bool write(const QString& path, Format format, double seconds, const Tags& tags = {});

} // namespace AudioFiles
