#pragma once

#include <QString>

// Why a table cannot fill a label design, with what the user needs to find the place: the row,
// the text item and the column. gpctool words it in English, the editor in Japanese.
struct MergeProblem {
    enum class Kind {
        Unreadable,       // the file cannot be read (detail: the system's reason)
        TooLarge,         // the file is larger than a table can be
        NotText,          // neither UTF-8 nor code page 932
        Malformed,        // a stray or unclosed quote (line)
        NoColumns,        // not even a header row
        DuplicateColumn,  // two columns of one name (column)
        NoRows,           // a header and nothing else
        TooManyRows,      // more than MergeTable::MaxRows
        Ragged,           // a row with more or fewer fields than the header (row, line, fields)
        UnknownColumn,    // a placeholder naming no column (item, column)
        EmptyPlaceholder, // "{{}}" or "{{ }}": a placeholder with no name (item)
        NotCp932,         // a filled text holds a character code page 932 lacks (row, item, column)
        TooLong,          // a filled text and its font name overflow the record (row, item, column)
        LineBreak,        // a filled text would hold a line break (row, item, column)
        BadFileName,      // a file name pattern fills to an unusable name (row, detail)
        DuplicateFileName, // two rows fill the pattern to names that differ at most in case
                           // (row, detail, earlierName)
    };

    Kind kind = Kind::Unreadable;
    int row = 0;         // data row, counted from 1 as {{#}} counts; 0 when no row is concerned
    int line = 0;        // line of the file where the row or the fault starts; 0 when unknown
    int item = -1;       // text item, counted from 0; -1 when no item is concerned
    QString itemText;    // that item's text in the design, placeholders and all
    QString column;      // the column concerned, or several joined by ", "
    QString detail;      // the character, the font name, the file name or the system's reason
    QString earlierName; // the earlier row's file name that a file name clashes with
    int fields = 0;      // a ragged row's field count
    int expected = 0;    // the header's field count, or a limit
    int bytes = 0;       // what an overlong text and its font name take in code page 932
};

namespace MergeMessages {

// One English line for gpctool, naming the row, item and column where they apply.
QString english(const MergeProblem& problem);
// The same for the editor, in Japanese.
QString japanese(const MergeProblem& problem);

} // namespace MergeMessages
