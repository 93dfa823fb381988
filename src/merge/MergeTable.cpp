#include "merge/MergeTable.h"

#include "text/Cp932.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <csv.h>

namespace MergeTable {

namespace {

constexpr qsizetype ChunkBytes = 64 * 1024;

MergeProblem problem(MergeProblem::Kind kind) {
    MergeProblem result;
    result.kind = kind;
    return result;
}

ReadResult refuse(MergeProblem reason) {
    return ReadResult{std::nullopt, std::move(reason)};
}

// The text of the file: UTF-8 when the bytes are valid UTF-8 (a byte order mark promises it),
// else code page 932.
std::optional<QString> decodeText(const QByteArray& bytes, bool& fromCp932) {
    static const QByteArray bom("\xEF\xBB\xBF");
    const bool hasBom = bytes.startsWith(bom);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(hasBom ? bytes.mid(bom.size()) : bytes);
    fromCp932 = false;
    if (!utf8.hasError())
        return text;
    if (hasBom)
        return std::nullopt;
    fromCp932 = true;
    return Cp932::decode(bytes);
}

// What the parser hands over, collected into records with the line each starts on.
struct Collector {
    QStringList fields;
    std::vector<QStringList> records;
    std::vector<int> lines;
    int line = 1;       // the line the parser has reached
    int recordLine = 1; // the line the current record started on
    bool afterCr = false;

    static void field(void* data, size_t length, void* self) {
        auto& c = *static_cast<Collector*>(self);
        if (c.fields.isEmpty())
            c.recordLine = c.line;
        const QString value = QString::fromUtf8(static_cast<const char*>(data), qsizetype(length));
        c.line += int(value.count(u'\n'));
        c.fields << value;
    }

    // Every unquoted line break ends a record; a record without fields is a blank line, or the
    // line feed of a CR LF pair.
    static void recordEnd(int terminator, void* self) {
        auto& c = *static_cast<Collector*>(self);
        const bool lineFeedOfPair = c.fields.isEmpty() && terminator == '\n' && c.afterCr;
        if (!c.fields.isEmpty()) {
            c.records.push_back(std::move(c.fields));
            c.lines.push_back(c.recordLine);
            c.fields.clear();
        }
        if (!lineFeedOfPair && (terminator == '\n' || terminator == '\r'))
            ++c.line;
        c.afterCr = terminator == '\r';
    }
};

// Spaces are part of a field.
int noSpace(unsigned char) {
    return 0;
}

int lineAt(const QByteArray& utf8, qsizetype offset) {
    return int(std::count(utf8.begin(), utf8.begin() + std::min(offset, utf8.size()), '\n')) + 1;
}

// Splits the text into records; refuses a stray or unclosed quote and more rows than a table
// may hold (the header row is not counted).
std::optional<MergeProblem> split(const QString& text, Separator separator, Collector& collector) {
    const QByteArray utf8 = text.toUtf8();
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI | CSV_REPALL_NL) != 0) {
        MergeProblem noMemory = problem(MergeProblem::Kind::Unreadable);
        noMemory.detail = QStringLiteral("out of memory");
        return noMemory;
    }
    csv_set_delim(&parser, separator == Separator::Tab ? CSV_TAB : CSV_COMMA);
    csv_set_space_func(&parser, noSpace);
    std::optional<MergeProblem> refusal;
    for (qsizetype at = 0; at < utf8.size() && !refusal; at += ChunkBytes) {
        const qsizetype length = std::min(ChunkBytes, utf8.size() - at);
        const size_t parsed = csv_parse(&parser, utf8.constData() + at, size_t(length),
                                        Collector::field, Collector::recordEnd, &collector);
        if (parsed != size_t(length)) {
            refusal = problem(MergeProblem::Kind::Malformed);
            refusal->line = lineAt(utf8, at + qsizetype(parsed));
        } else if (collector.records.size() > size_t(MaxRows) + 1) {
            refusal = problem(MergeProblem::Kind::TooManyRows);
            refusal->expected = MaxRows;
        }
    }
    if (!refusal && csv_fini(&parser, Collector::field, Collector::recordEnd, &collector) != 0) {
        refusal = problem(MergeProblem::Kind::Malformed);
        // The unclosed field belongs to the record after the last complete one.
        refusal->line = collector.fields.isEmpty() ? collector.line : collector.recordLine;
    }
    csv_free(&parser);
    if (!refusal && collector.records.size() > size_t(MaxRows) + 1) {
        refusal = problem(MergeProblem::Kind::TooManyRows);
        refusal->expected = MaxRows;
    }
    return refusal;
}

// Column names are matched without surrounding spaces; unnamed columns may repeat since no
// placeholder can name them.
std::optional<MergeProblem> checkHeader(const QStringList& columns) {
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (!columns[i].isEmpty() && columns.indexOf(columns[i]) != i) {
            MergeProblem duplicate = problem(MergeProblem::Kind::DuplicateColumn);
            duplicate.column = columns[i];
            return duplicate;
        }
    }
    return std::nullopt;
}

} // namespace

Separator separatorFor(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("tsv") || suffix == QLatin1String("txt") ? Separator::Tab
                                                                            : Separator::Comma;
}

ReadResult parse(const QByteArray& bytes, Separator separator) {
    bool fromCp932 = false;
    const std::optional<QString> text = decodeText(bytes, fromCp932);
    if (!text)
        return refuse(problem(MergeProblem::Kind::NotText));
    Collector collector;
    if (std::optional<MergeProblem> refusal = split(*text, separator, collector))
        return refuse(std::move(*refusal));
    if (collector.records.empty())
        return refuse(problem(MergeProblem::Kind::NoColumns));

    Table table;
    table.fromCp932 = fromCp932;
    for (const QString& name : collector.records.front())
        table.columns << name.trimmed();
    if (std::optional<MergeProblem> refusal = checkHeader(table.columns))
        return refuse(std::move(*refusal));
    if (collector.records.size() == 1)
        return refuse(problem(MergeProblem::Kind::NoRows));
    for (size_t i = 1; i < collector.records.size(); ++i) {
        QStringList& record = collector.records[i];
        if (record.size() != table.columns.size()) {
            MergeProblem ragged = problem(MergeProblem::Kind::Ragged);
            ragged.row = int(i);
            ragged.line = collector.lines[i];
            ragged.fields = int(record.size());
            ragged.expected = int(table.columns.size());
            return refuse(std::move(ragged));
        }
        table.rows.push_back(std::move(record));
        table.lines.push_back(collector.lines[i]);
    }
    return ReadResult{std::move(table), MergeProblem{}};
}

ReadResult read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        MergeProblem unreadable = problem(MergeProblem::Kind::Unreadable);
        unreadable.detail = file.errorString();
        return refuse(std::move(unreadable));
    }
    if (file.size() > MaxFileBytes)
        return refuse(problem(MergeProblem::Kind::TooLarge));
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (bytes.size() > MaxFileBytes)
        return refuse(problem(MergeProblem::Kind::TooLarge));
    if (file.error() != QFileDevice::NoError) {
        MergeProblem unreadable = problem(MergeProblem::Kind::Unreadable);
        unreadable.detail = file.errorString();
        return refuse(std::move(unreadable));
    }
    return parse(bytes, separatorFor(path));
}

} // namespace MergeTable
