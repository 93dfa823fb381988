#include "merge/MergeFill.h"

#include "document/LabelFileCodec.h"
#include "merge/Placeholders.h"
#include "shapes/ItemPlacement.h"
#include "text/Cp932.h"

#include <algorithm>
#include <cmath>

namespace MergeFill {

namespace {

bool centred(float start, float extent) {
    return std::abs(double(start) - (double(LabelSideMm) - double(extent)) / 2) <=
           CentreToleranceMm;
}

MergeProblem itemProblem(MergeProblem::Kind kind, int row, int item, const QString& itemText) {
    MergeProblem problem;
    problem.kind = kind;
    problem.row = row;
    problem.item = item;
    problem.itemText = itemText;
    return problem;
}

QString valueOf(const MergeTable::Table& table, int rowIndex, const QString& name) {
    if (name == Placeholders::RowNumber)
        return QString::number(rowIndex + 1);
    const int column = table.columnIndex(name);
    return column < 0 ? QString() : table.rows[size_t(rowIndex)][column];
}

// Why the filled item cannot be stored, naming the columns that brought the fault in.
std::optional<MergeProblem> storageProblem(const TextItem& filled, const QString& designText,
                                           const MergeTable::Table& table, int rowIndex, int item) {
    QStringList names = Placeholders::names(designText);
    names.removeAll(Placeholders::RowNumber);
    names.removeDuplicates();
    // A text item is drawn as one line; a line break would vanish from the print.
    for (const QString& name : names) {
        const QString value = valueOf(table, rowIndex, name);
        if (value.contains(u'\n') || value.contains(u'\r')) {
            MergeProblem problem =
                itemProblem(MergeProblem::Kind::LineBreak, rowIndex + 1, item, designText);
            problem.line = table.lines[size_t(rowIndex)];
            problem.column = name;
            return problem;
        }
    }
    const Cp932::EncodeResult text = Cp932::encode(filled.Text);
    if (!text.bytes) {
        MergeProblem problem =
            itemProblem(MergeProblem::Kind::NotCp932, rowIndex + 1, item, designText);
        problem.line = table.lines[size_t(rowIndex)];
        problem.detail = text.failedCharacter;
        for (const QString& name : names)
            if (valueOf(table, rowIndex, name).contains(text.failedCharacter))
                problem.column = name;
        return problem;
    }
    if (LabelFileCodec::itemProblem(filled).isEmpty())
        return std::nullopt;
    MergeProblem problem = itemProblem(MergeProblem::Kind::TooLong, rowIndex + 1, item, designText);
    problem.line = table.lines[size_t(rowIndex)];
    problem.detail = filled.FontName;
    const Cp932::EncodeResult font = Cp932::encode(filled.FontName);
    problem.bytes = int(text.bytes->size() + (font.bytes ? font.bytes->size() : 0));
    problem.expected = LabelFileCodec::MaxItemStringBytes;
    problem.column = names.join(QStringLiteral(", "));
    return problem;
}

} // namespace

// An empty placeholder would otherwise fill from the first column without a name: a table may
// have several, and none of them is meant.
std::optional<MergeProblem> checkPlaceholders(const QString& text, const QStringList& columns) {
    for (const QString& name : Placeholders::names(text)) {
        MergeProblem problem;
        if (name.isEmpty()) {
            problem.kind = MergeProblem::Kind::EmptyPlaceholder;
            return problem;
        }
        if (name != Placeholders::RowNumber && !columns.contains(name)) {
            problem.kind = MergeProblem::Kind::UnknownColumn;
            problem.column = name;
            return problem;
        }
    }
    return std::nullopt;
}

std::optional<MergeProblem> checkColumns(const LabelDocument& design, const QStringList& columns) {
    for (int i = 0; i < design.itemCount(); ++i) {
        if (std::optional<MergeProblem> problem = checkPlaceholders(design.item(i).Text, columns)) {
            problem->item = i;
            problem->itemText = design.item(i).Text;
            return problem;
        }
    }
    return std::nullopt;
}

Filled fillRow(const LabelDocument& design, const MergeTable::Table& table, int rowIndex,
               double viewSidePx) {
    LabelDocument document = design;
    for (int i = 0; i < design.itemCount(); ++i) {
        const TextItem& original = design.item(i);
        if (Placeholders::names(original.Text).isEmpty())
            continue;
        TextItem& item = document.item(i);
        item.Text = Placeholders::fill(
            original.Text, [&](const QString& name) { return valueOf(table, rowIndex, name); });
        if (std::optional<MergeProblem> problem =
                storageProblem(item, original.Text, table, rowIndex, i))
            return Filled{std::nullopt, std::move(*problem)};
        ItemPlacement::measure(item, viewSidePx);
        // Text along the disc stays about its anchor by itself.
        if (item.layout.kind == TextLayoutKind::Arc)
            continue;
        if (centred(original.Left, original.Width))
            item.Left = (LabelSideMm - item.Width) / 2;
        if (centred(original.Top, original.Height))
            item.Top = (LabelSideMm - item.Height) / 2;
    }
    document.LabelChanged = false;
    return Filled{std::move(document), MergeProblem{}};
}

std::optional<MergeProblem> checkAll(const LabelDocument& design, const MergeTable::Table& table,
                                     double viewSidePx) {
    if (std::optional<MergeProblem> problem = checkColumns(design, table.columns))
        return problem;
    for (int row = 0; row < table.rowCount(); ++row) {
        Filled filled = fillRow(design, table, row, viewSidePx);
        if (!filled.document)
            return filled.problem;
    }
    return std::nullopt;
}

} // namespace MergeFill
