#pragma once

#include "platform/audio/AudioTrack.h"
#include "text/Cp932.h"

#include <QString>
#include <QStringList>
#include <vector>

// The lines of a track list: the user's pattern filled for each track with the mail-merge
// placeholders, and whether each line can be stored in a document's text record.
namespace TrackLines {

// {{#}} is the line's number (Placeholders::RowNumber); the others name a track's fields.
inline const QString TrackNumber = QStringLiteral("track");
inline const QString Title = QStringLiteral("title");
inline const QString Artist = QStringLiteral("artist");
inline const QString Album = QStringLiteral("album");
inline const QString Time = QStringLiteral("time");
inline const QString DefaultPattern = QStringLiteral("{{#}}. {{title}}");

// The placeholders in the pattern that name nothing a track has, each once, in order.
QStringList unknownNames(const QString& pattern);

// Why a line cannot be stored, if it cannot.
struct Check {
    enum class Kind {
        Fine,
        Empty,        // nothing but blanks
        Missing,      // the track lacks a value the pattern asks for (detail: its name)
        LineBreak,    // a tag with a line break: a text item is one line
        NotCp932,     // a character the document's code page lacks (detail: the character)
        FontNotCp932, // the font's name holds such a character
        TooLong,      // text and font name pass the record (bytes of limit)
    };
    Kind kind = Kind::Fine;
    QString detail;
    int bytes = 0;
    int limit = 0;
    bool fine() const { return kind == Kind::Fine; }
};

// Whether a text in this font can be stored as a text item, by the document file's own rule.
Check check(const QString& text, const QString& fontName);

struct Line {
    QString text;
    QList<Cp932::Replacement> replacements; // made only when asked for
    Check check;
};

// The line for a track as the list's line `number` (from 1). With `replaceUnstorable`, characters
// the code page lacks are replaced by their nearest stored forms, each replacement listed.
Line fill(const QString& pattern, const AudioTrack& track, int number, const QString& fontName,
          bool replaceUnstorable);

// The title line: the album most of the tracks name and, when asked, its artist ("album / artist").
// Empty when no track names an album.
QString albumTitle(const std::vector<AudioTrack>& tracks, bool withArtist);
Line titleLine(const QString& text, const QString& fontName, bool replaceUnstorable);

} // namespace TrackLines
