#pragma once

#include "platform/audio/AudioTrack.h"

#include <QString>
#include <optional>
#include <vector>

// Cue sheets: the FILE, TRACK, TITLE, PERFORMER, INDEX 01 and REM DISCNUMBER lines, and the tracks'
// times from their starts and their files' lengths. Pure functions of their input (fuzzed); the
// files the sheet names are TrackReader's to read.
namespace CueSheet {

// Track numbers run from 01 to 99, and a sheet describes one disc.
inline constexpr int MaxTracks = 99;
inline constexpr int FramesPerSecond = 75;

struct Track {
    int line = 0;       // the TRACK line, from 1
    int fileIndex = -1; // the FILE it belongs to; -1 when none came before it
    QString numberText; // as written
    int number = 0;     // 0 when numberText is not a number in 1..99
    QString type;       // "AUDIO", "MODE1/2352"...
    QString title;
    QString performer;
    std::optional<qint64> startFrames; // INDEX 01
    QString badTime;                   // an INDEX 01 time that could not be read, as written

    bool audio() const;
};

struct File {
    QString name; // as written
    int line = 0;
};

struct Sheet {
    QString title;
    QString performer;
    std::optional<int> disc;
    std::vector<File> files;
    std::vector<Track> tracks; // in the sheet's order
};

Sheet parse(const QString& text);

// A track's time, or why it has none.
struct Timing {
    std::optional<double> seconds; // unknown when its file's length is
    std::optional<ReadProblem::Kind> problem;
    QString detail;
};

// One timing per track of the sheet. A track runs from its INDEX 01 to the next usable track's
// in the same file, the last one to the end of its file (fileSeconds[i]: the length of file i,
// nothing when it could not be read).
std::vector<Timing> time(const Sheet& sheet, const std::vector<std::optional<double>>& fileSeconds);

} // namespace CueSheet
