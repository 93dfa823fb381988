#pragma once

#include "platform/audio/AudioTrack.h"
#include "text/Cp932.h"
#include "tracklayout/TrackLines.h"

#include <QString>

// The track list dialog's words for what could not be read and for lines that cannot be stored.
namespace TrackMessages {

// "名前: 理由", naming the file (and the cue track or the playlist's line).
QString japanese(const ReadProblem& problem);
QString japanese(const TrackLines::Check& check);
QString replacements(const QList<Cp932::Replacement>& made);

} // namespace TrackMessages
