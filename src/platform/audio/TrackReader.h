#pragma once

#include "platform/audio/AudioTrack.h"

#include <QStringList>
#include <atomic>
#include <functional>
#include <vector>

// A track list from what the user chose: audio files, folders (their audio files, not their
// subfolders), M3U/M3U8 playlists and cue sheets, in any mix. The lines come from TagReader and
// CueSheet; this part walks the sources, guards against loops and floods, and orders the list.
namespace TrackReader {

inline constexpr int MaxTracks = 1000;
inline constexpr int MaxNesting = 8;
inline constexpr qint64 MaxSheetBytes = 1024 * 1024;

// What reading reports as it goes, for a window that fills while files are read on another
// thread. Every function is called on the reading thread; any may be empty.
struct Listener {
    std::function<void(const AudioTrack&)> track; // in reading order, not list order
    std::function<void(const ReadProblem&)> problem;
    std::function<void(int done, int total)> progress; // files and sheets read of those found
    const std::atomic<bool>* cancel = nullptr;         // checked between files
};

struct Result {
    std::vector<AudioTrack> tracks; // in list order (TrackOrder)
    std::vector<ReadProblem> problems;
    bool cancelled = false;
};

Result read(const QStringList& paths, const Listener& listener = {});

// One English line naming the file (and its playlist's line or its cue track) and the reason.
QString english(const ReadProblem& problem);

} // namespace TrackReader

namespace TrackOrder {
// Groups in the order their sources were given; within a playlist or cue sheet, its own order;
// loose files by disc number, then track number, then file name in natural order (2 before 10).
// A file without a disc number counts as disc 1, and one without a track number follows the
// numbered ones of its disc.
bool before(const AudioTrack& a, const AudioTrack& b);
void sort(std::vector<AudioTrack>& tracks);
} // namespace TrackOrder
