#pragma once

#include "platform/files/RegularFile.h"

#include <QString>
#include <optional>

// One line of a track list as read from an audio file's tags or from a cue sheet.
struct AudioTrack {
    QString file; // the audio file: as given, or resolved against its playlist or cue sheet
    std::optional<int> track;
    std::optional<int> disc;
    QString title; // never empty: without a title tag, the file's name without its extension
    QString artist;
    QString album;
    QString albumArtist;           // the album's artist where the tags or the sheet name one
    std::optional<double> seconds; // unknown only for a cue track whose audio file is unreadable

    // Where the track belongs in the list (TrackOrder): sources are read in the order given, each
    // playlist or cue sheet in a group of its own and each run of loose files and folders in one.
    int group = 0;
    int ordinal = -1; // its place in its playlist or cue sheet; -1: ordered by its tags

    bool operator==(const AudioTrack&) const = default;
};

// Why something named as a source gives no track, or a cue track has no usable time.
struct ReadProblem {
    enum class Kind {
        Missing,           // no such file or folder
        Unreadable,        // the system refused to open or read it (detail: its reason)
        NotRegularFile,    // a FIFO, a device or a socket: never opened, so never waited on
        Folder,            // a folder named by a playlist or cue sheet
        NotAudio,          // not a kind of file TagLib reads
        Damaged,           // of a kind TagLib reads, but no audio could be found in it
        NoAudioFiles,      // a folder holding no audio files
        NotLocal,          // a playlist entry naming a web address (detail)
        AlreadyRead,       // a playlist or cue sheet reached again: each is read once
        TooDeep,           // playlists nested past TrackReader::MaxNesting
        SheetTooLarge,     // a playlist or cue sheet past TrackReader::MaxSheetBytes
        NotText,           // a playlist or cue sheet that is not text
        NoTracks,          // a playlist or cue sheet that names nothing
        TooManyTracks,     // past TrackReader::MaxTracks: the rest is not read
        CueNoFile,         // a cue track before any FILE line
        CueDataTrack,      // a cue track that is not AUDIO (detail: its type)
        CueTrackNumber,    // a cue track number outside 1..99 (detail: as written)
        CueBeyondLimit,    // a cue track past the 99 a sheet can hold
        CueNoIndex,        // a cue track without INDEX 01
        CueBadTime,        // an INDEX 01 time that is not mm:ss:ff (detail: as written)
        CueBeforePrevious, // a cue track not starting after the track before it
        CuePastEnd,        // a cue track starting past its file's end (detail: "start end")
    };

    Kind kind = Kind::Missing;
    QString path;     // the file or folder concerned (for a cue track: its cue sheet)
    QString source;   // the playlist or cue sheet that named the path; empty when given directly
    int line = 0;     // the source's line, from 1; 0 when none
    int cueTrack = 0; // the cue track's number as written; 0 when no cue track is concerned
    QString detail;

    bool operator==(const ReadProblem&) const = default;

    // Why a file could not be opened or read, in the track reader's terms; only playlists and
    // cue sheets are read with a size limit.
    static Kind ofFile(RegularFile::Problem problem) {
        switch (problem) {
        case RegularFile::Problem::Missing:
            return Kind::Missing;
        case RegularFile::Problem::Unreadable:
            return Kind::Unreadable;
        case RegularFile::Problem::NotRegularFile:
            return Kind::NotRegularFile;
        case RegularFile::Problem::Folder:
            return Kind::Folder;
        case RegularFile::Problem::TooLarge:
            return Kind::SheetTooLarge;
        }
        return Kind::Unreadable;
    }
};

namespace AudioTime {
// Seconds as m:ss, rounded to the nearest second ("3:41", "75:00").
QString minutesSeconds(double seconds);
} // namespace AudioTime
