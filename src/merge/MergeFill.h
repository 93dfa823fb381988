#pragma once

#include "document/LabelDocument.h"
#include "merge/MergeProblem.h"
#include "merge/MergeTable.h"
#include "shapes/Geometry.h"

#include <optional>

// Filling a label design from one row of a table. Filled items are measured as the editor
// measures a text it is given, and an item that the design centres across (or down) the label
// stays centred with its new width (or height).
namespace MergeFill {

// How close to (122 − Width) / 2 a left edge must be to count as centred.
inline constexpr double CentreToleranceMm = 0.05;

// The first placeholder in a text that cannot be filled from these columns: an empty one, or one
// naming no column. The problem does not say where the text stands.
std::optional<MergeProblem> checkPlaceholders(const QString& text, const QStringList& columns);

// The same for every text item of the design, naming the item.
std::optional<MergeProblem> checkColumns(const LabelDocument& design, const QStringList& columns);

struct Filled {
    std::optional<LabelDocument> document;
    MergeProblem problem; // when there is no document
};

// The design filled with row `rowIndex` (from 0). Refuses a filled text that a document cannot
// store: a character outside code page 932, or a text too long for its record with its font.
Filled fillRow(const LabelDocument& design, const MergeTable::Table& table, int rowIndex,
               double viewSidePx);

// Everything that could refuse a row, for every row, so that nothing is written or printed
// before the whole run is known to succeed.
std::optional<MergeProblem> checkAll(const LabelDocument& design, const MergeTable::Table& table,
                                     double viewSidePx);

} // namespace MergeFill
