// The table reader on arbitrary bytes, as comma and as tab separated. Besides crashes, leaks and
// undefined behaviour it checks that an accepted table is whole (every row as wide as the header,
// within the row limit, lines in order) and that every refusal has a message in both languages.
#include "FuzzRequire.h"
#include "merge/MergeTable.h"
#include "merge/Placeholders.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const auto separator : {MergeTable::Separator::Comma, MergeTable::Separator::Tab}) {
        const MergeTable::ReadResult read = MergeTable::parse(bytes, separator);
        if (!read.table) {
            require(!MergeMessages::english(read.problem).isEmpty());
            require(!MergeMessages::japanese(read.problem).isEmpty());
            continue;
        }
        const MergeTable::Table& table = *read.table;
        require(table.rowCount() > 0 && table.rowCount() <= MergeTable::MaxRows);
        require(table.lines.size() == table.rows.size());
        for (int i = 0; i < table.rowCount(); ++i) {
            require(table.rows[size_t(i)].size() == table.columns.size());
            require(i == 0 || table.lines[size_t(i)] > table.lines[size_t(i - 1)]);
        }
        // Each field as a design's text: filling it must not depend on anything but the text.
        for (const QString& field : table.rows.front()) {
            const QStringList names = Placeholders::names(field);
            qsizetype filled = 0;
            Placeholders::fill(field, [&](const QString& name) {
                require(names.value(filled++) == name);
                return QString();
            });
            require(filled == names.size());
        }
    }
    return 0;
}
