#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// The text of playlists and cue sheets, and the entries of M3U and M3U8 playlists. Pure functions
// of their input, so that they can be fuzzed; the file system is TrackReader's.
namespace SourceText {
// UTF-8 (with or without its byte order mark), else code page 932 (as Japanese rippers write),
// else Latin-1. Nothing when the bytes hold a NUL, which no text does.
std::optional<QString> decode(const QByteArray& bytes);
} // namespace SourceText

namespace Playlist {

struct Entry {
    QString text; // trimmed
    int line = 0; // from 1
};

// Every line that is neither blank nor a comment ("#EXTM3U", "#EXTINF:..."), in order.
std::vector<Entry> parse(const QString& text);

struct Target {
    QString path;      // the file the entry names, clean; empty when it is not local
    bool local = true; // false for a web address
};

// A relative entry counts from the playlist's folder; "file:" addresses are local paths and
// Windows' backslashes are separators.
Target resolve(const QString& entry, const QString& playlistFolder);

bool isPlaylist(const QString& path); // .m3u, .m3u8
bool isCueSheet(const QString& path); // .cue

} // namespace Playlist
