#pragma once

#include "document/SheetLayout.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <optional>

// A sheet of round stickers written down as JSON, the built-in sheets and the user's own alike:
//   {"name": "My sheet", "aliases": ["Other number"], "page_mm": [210, 297],
//    "outer_diameter_mm": 117, "hole_diameter_mm": 41, "centres_mm": [[105, 79.9], [105, 218.33]]}
// ("aliases" may be left out). A sheet is taken only whole: every label on the page, none
// overlapping another, the hole smaller than the label.
namespace SheetFile {

inline constexpr double MinPageSideMm = 50.0;
inline constexpr double MaxPageSideMm = 1000.0;
inline constexpr qint64 MaxFileBytes = 64 * 1024;

struct Problem {
    enum class Kind {
        Unreadable, // detail: why
        TooLarge,
        NotJson,  // detail: the parser's reason, first: the character
        BadValue, // detail: the key
        BadPage,
        BadDiameter,
        HoleNotSmaller,
        NoLabels,
        TooManyLabels, // first: how many
        OffPage,       // first: the position (1-based)
        Overlapping,   // first, second: the positions
        DuplicateName, // detail: the name
    };
    Kind kind = Kind::Unreadable;
    QString detail;
    int first = 0;
    int second = 0;
};

struct Read {
    std::optional<SheetLayout> sheet;
    Problem problem; // when there is no sheet
};

// One sheet from its JSON object, checked.
Read fromJson(const QJsonObject& object);
// One sheet from a file's bytes.
Read fromBytes(const QByteArray& bytes);
// The rules a sheet's numbers must keep; empty when it keeps them.
std::optional<Problem> check(const SheetLayout& sheet);

QString japanese(const Problem& problem);
QString english(const Problem& problem);

} // namespace SheetFile
