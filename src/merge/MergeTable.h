#pragma once

#include "merge/MergeProblem.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The table a design is filled from: a first row of column names and one row per disc. Read from
// CSV (comma separated, RFC 4180 quoting) or, for .tsv and .txt files, tab separated with the
// same quoting. The bytes are UTF-8 (with or without a byte order mark) or, when they are not
// valid UTF-8, code page 932 as spreadsheets on Japanese systems write it.
namespace MergeTable {

inline constexpr int MaxRows = 10'000;
// Far above any table of 10,000 discs; keeps a wrong file from filling the memory.
inline constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;

enum class Separator { Comma, Tab };

struct Table {
    QStringList columns;           // trimmed names, in file order
    std::vector<QStringList> rows; // each as many fields as columns
    std::vector<int> lines;        // the line of the file where each row starts
    bool fromCp932 = false;        // the bytes were code page 932

    int rowCount() const { return int(rows.size()); }
    int columnIndex(const QString& name) const { return int(columns.indexOf(name)); }
};

struct ReadResult {
    std::optional<Table> table;
    MergeProblem problem; // when there is no table
};

// Tab separated for names ending in .tsv or .txt, else comma separated.
Separator separatorFor(const QString& path);

// The whole table from bytes, or the first reason it cannot be used. Blank lines are not rows.
ReadResult parse(const QByteArray& bytes, Separator separator);

// Reads the file and parses it.
ReadResult read(const QString& path);

} // namespace MergeTable
