#include "merge/MergeProblem.h"

#include "merge/MergeTable.h"
#include "text/Cp932.h"

namespace MergeMessages {

namespace {

// "row 3 (line 4), text item 2 "{{name}} 様"": as much of the place as the problem knows.
QString place(const MergeProblem& problem) {
    QStringList parts;
    if (problem.row > 0)
        parts << (problem.line > 0
                      ? QStringLiteral("row %1 (line %2)").arg(problem.row).arg(problem.line)
                      : QStringLiteral("row %1").arg(problem.row));
    else if (problem.line > 0)
        parts << QStringLiteral("line %1").arg(problem.line);
    if (problem.item >= 0)
        parts << QStringLiteral("text item %1 \"%2\"").arg(problem.item + 1).arg(problem.itemText);
    return parts.join(QStringLiteral(", "));
}

QString withPlace(const MergeProblem& problem, const QString& what) {
    const QString where = place(problem);
    return where.isEmpty() ? what : QStringLiteral("%1: %2").arg(where, what);
}

} // namespace

QString english(const MergeProblem& problem) {
    using Kind = MergeProblem::Kind;
    switch (problem.kind) {
    case Kind::Unreadable:
        return QStringLiteral("the table cannot be read: %1").arg(problem.detail);
    case Kind::TooLarge:
        return QStringLiteral("the table is larger than %1 MB").arg(MergeTable::MaxFileBytes >> 20);
    case Kind::NotText:
        return QStringLiteral("the table is neither UTF-8 nor code page 932 text");
    case Kind::Malformed:
        return withPlace(problem, QStringLiteral("a quote is not closed, or stands inside a "
                                                 "field that does not start with one"));
    case Kind::NoColumns:
        return QStringLiteral("the table is empty");
    case Kind::DuplicateColumn:
        return QStringLiteral("the table has two columns named \"%1\"").arg(problem.column);
    case Kind::NoRows:
        return QStringLiteral("the table has column names but no rows");
    case Kind::TooManyRows:
        return QStringLiteral("the table has more than %1 rows").arg(problem.expected);
    case Kind::Ragged:
        return withPlace(problem, QStringLiteral("%1 fields where the first row has %2")
                                      .arg(problem.fields)
                                      .arg(problem.expected));
    case Kind::UnknownColumn:
        return withPlace(problem,
                         QStringLiteral("the table has no column \"%1\"").arg(problem.column));
    case Kind::EmptyPlaceholder:
        return withPlace(problem, QStringLiteral("the placeholder \"{{}}\" names no column; "
                                                 "write a column's name between the braces"));
    case Kind::NotCp932:
        return withPlace(problem, QStringLiteral("column \"%1\" holds \"%2\" (%3), which code "
                                                 "page 932 cannot store")
                                      .arg(problem.column, problem.detail,
                                           Cp932::codePointName(problem.detail)));
    case Kind::TooLong:
        return withPlace(problem, QStringLiteral("filled from \"%1\", the text and its font "
                                                 "name \"%2\" take %3 bytes; an item holds at "
                                                 "most %4")
                                      .arg(problem.column, problem.detail)
                                      .arg(problem.bytes)
                                      .arg(problem.expected));
    case Kind::LineBreak:
        return withPlace(problem, QStringLiteral("column \"%1\" holds a line break; a text item "
                                                 "is one line")
                                      .arg(problem.column));
    case Kind::BadFileName:
        return withPlace(problem,
                         QStringLiteral("the file name \"%1\" cannot be used").arg(problem.detail));
    case Kind::DuplicateFileName:
        if (!problem.earlierName.isEmpty() && problem.earlierName != problem.detail)
            return withPlace(problem, QStringLiteral("the file name \"%1\" differs from an "
                                                     "earlier row's \"%2\" only in case, and "
                                                     "many disks take them for one file")
                                          .arg(problem.detail, problem.earlierName));
        return withPlace(
            problem,
            QStringLiteral("the file name \"%1\" is also an earlier row's").arg(problem.detail));
    }
    return QString();
}

} // namespace MergeMessages
