// gpctool merge: a label design filled from each row of a table, as one PDF of one page per row
// or as one file per row.
#include "tools/gpctool/Commands.h"

#include "document/AtomicReplace.h"
#include "document/LabelFileCodec.h"
#include "merge/MergeFill.h"
#include "merge/MergeTable.h"
#include "merge/Placeholders.h"
#include "printing/render/PageExport.h"
#include "tools/gpctool/PageOptions.h"

#include <QDir>
#include <QHash>
#include <algorithm>
#include <cstdio>

namespace {

enum class Format { Pdf, Png, Gpc };

struct MergeOptions {
    PageOptions::Options page;
    QString design, table, output;
    QString eachDir;
    QString namePattern = QStringLiteral("disc-{{#}}.gpc");
    bool nameGiven = false;
    QString start; // --start as given: the first label's position on the first sheet
    int startPosition = 0;
};

const char* const Usage =
    "usage: gpctool merge [--offset L,T] [--page WxH] [--scale X,Y] DESIGN.gpc TABLE.csv OUT.pdf\n"
    "       gpctool merge --sheet NAME [--positions 1,2] [--start K] [--offset L,T] "
    "[--scale X,Y] DESIGN.gpc TABLE.csv OUT.pdf\n"
    "       gpctool merge --each DIR [--name 'disc-{{#}}.gpc|.pdf|.png'] [--offset L,T] "
    "[--page WxH] [--dpi N] [--scale X,Y] DESIGN.gpc TABLE.csv\n";

void printLine(const QString& line) {
    const QByteArray bytes = QStringLiteral("gpctool: %1\n").arg(line).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

int usage(const QString& message) {
    printLine(message);
    std::fputs(Usage, stderr);
    return GpcTool::UsageError;
}

int refuse(const QString& message) {
    printLine(message);
    return GpcTool::Refused;
}

std::optional<Format> formatOf(const QString& name) {
    const QString suffix = name.section(u'.', -1).toLower();
    if (!name.contains(u'.'))
        return std::nullopt;
    if (suffix == QLatin1String("pdf"))
        return Format::Pdf;
    if (suffix == QLatin1String("png"))
        return Format::Png;
    if (suffix == QLatin1String("gpc"))
        return Format::Gpc;
    return std::nullopt;
}

QString readOption(const QString& name, const QString& value, MergeOptions& options) {
    if (const std::optional<QString> problem = PageOptions::read(name, value, options.page))
        return *problem;
    if (name == QLatin1String("--each")) {
        options.eachDir = value;
    } else if (name == QLatin1String("--name")) {
        options.namePattern = value;
        options.nameGiven = true;
    } else if (name == QLatin1String("--start")) {
        options.start = value.isEmpty() ? QStringLiteral("?") : value;
    } else {
        return QStringLiteral("unknown option '%1'").arg(name);
    }
    return QString();
}

QString parse(const QStringList& args, MergeOptions& options) {
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (!arg.startsWith(QLatin1String("--"))) {
            positional << arg;
            continue;
        }
        QString name, value;
        if (const QString problem = PageOptions::split(args, i, name, value); !problem.isEmpty())
            return problem;
        if (const QString problem = readOption(name, value, options); !problem.isEmpty())
            return problem;
    }
    const qsizetype wanted = options.eachDir.isEmpty() ? 3 : 2;
    if (positional.size() != wanted)
        return options.eachDir.isEmpty()
                   ? QStringLiteral("needs a design, a table and an output PDF")
                   : QStringLiteral("with --each, needs a design and a table only");
    options.design = positional[0];
    options.table = positional[1];
    if (wanted == 3)
        options.output = positional[2];
    if (const QString problem = PageOptions::finish(options.page); !problem.isEmpty())
        return problem;
    if (!options.start.isEmpty()) {
        const std::vector<int> positions = options.page.page.chosenPositions();
        const std::optional<int> start = PageOptions::wholeNumber(options.start);
        if (!start || std::find(positions.begin(), positions.end(), *start - 1) == positions.end())
            return QStringLiteral("--start needs the number of a position printed on, from 1 to %1")
                .arg(options.page.page.layout.positionCount());
        options.startPosition = *start - 1;
    }
    return QString();
}

// The output format, and whether the options fit it.
QString checkCombination(const MergeOptions& options, Format& format) {
    if (options.eachDir.isEmpty()) {
        if (options.nameGiven)
            return QStringLiteral("--name goes with --each");
        if (formatOf(options.output) != Format::Pdf)
            return QStringLiteral("the output must end in .pdf (use --each for one file per row)");
        format = Format::Pdf;
    } else {
        const std::optional<Format> each = formatOf(options.namePattern);
        if (!each)
            return QStringLiteral("--name must end in .gpc, .pdf or .png");
        format = *each;
    }
    const PageOptions::Options& page = options.page;
    // A file per row is one label each: sheets are filled in one PDF.
    if (!options.eachDir.isEmpty() &&
        (page.sheetGiven || page.positionsGiven() || !options.start.isEmpty()))
        return QStringLiteral("--each writes one label per file; --sheet, --positions and "
                              "--start fill sheets in one PDF");
    if (format == Format::Gpc && (page.placesLabels() || page.dpiGiven))
        return QStringLiteral("documents (.gpc) take no page options");
    if (format == Format::Pdf && page.dpiGiven)
        return QStringLiteral("--dpi applies to PNG output only");
    return QString();
}

bool isControl(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

MergeProblem nameProblem(MergeProblem::Kind kind, int row, const QString& name) {
    MergeProblem problem;
    problem.kind = kind;
    problem.row = row;
    problem.detail = name;
    return problem;
}

// One file name per row from the pattern; refuses a placeholder that fills from no column, a
// name that is not one plain file name, and two rows of one name. Names are compared without
// regard to case: on a memory stick or a shared folder "Disc.gpc" and "disc.gpc" are one file,
// and the second would overwrite the first.
std::optional<MergeProblem> fileNames(const QString& pattern, const MergeTable::Table& table,
                                      QStringList& names) {
    if (std::optional<MergeProblem> problem = MergeFill::checkPlaceholders(pattern, table.columns))
        return problem;
    QHash<QString, QString> seen; // case-folded name -> the name as filled
    for (int row = 0; row < table.rowCount(); ++row) {
        const QString name = Placeholders::fill(pattern, [&](const QString& column) {
            return column == Placeholders::RowNumber
                       ? QString::number(row + 1)
                       : table.rows[size_t(row)][table.columnIndex(column)];
        });
        if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
            name.contains(u'/') || std::any_of(name.begin(), name.end(), isControl) ||
            formatOf(name) != formatOf(pattern))
            return nameProblem(MergeProblem::Kind::BadFileName, row + 1, name);
        const QString folded = name.toCaseFolded();
        if (const auto earlier = seen.constFind(folded); earlier != seen.constEnd()) {
            MergeProblem problem =
                nameProblem(MergeProblem::Kind::DuplicateFileName, row + 1, name);
            problem.earlierName = *earlier;
            return problem;
        }
        seen.insert(folded, name);
        names << name;
    }
    return std::nullopt;
}

bool writeOne(const QString& path, Format format, const LabelDocument& document,
              const PageOptions::LoadedLabel& design, const PageOptions::Options& page,
              QString& reason) {
    if (format == Format::Pdf)
        return PageExport::writePdf(path, document, design.picture, page.page, &reason);
    if (format == Format::Png)
        return PageExport::writePng(path, document, design.picture, page.page, page.dpi, &reason);
    const LabelFileCodec::EncodeResult bytes =
        LabelFileCodec::encode(document, design.scaleStep, design.pictureBytes);
    if (!bytes.bytes) {
        reason = QStringLiteral("%1: %2").arg(path, bytes.reason);
        return false;
    }
    const AtomicReplace::Result replaced = AtomicReplace::replace(path, *bytes.bytes);
    if (!replaced.ok)
        reason = QStringLiteral("cannot write %1: %2").arg(path, replaced.reason);
    return replaced.ok;
}

int writeEach(const MergeOptions& options, Format format, const PageOptions::LoadedLabel& design,
              const MergeTable::Table& table) {
    QStringList names;
    if (const std::optional<MergeProblem> problem = fileNames(options.namePattern, table, names))
        return refuse(QStringLiteral("--name: %1").arg(MergeMessages::english(*problem)));
    if (!QDir().mkpath(options.eachDir))
        return refuse(QStringLiteral("cannot make the folder %1").arg(options.eachDir));
    const QDir dir(options.eachDir);
    for (int row = 0; row < table.rowCount(); ++row) {
        const MergeFill::Filled filled =
            MergeFill::fillRow(design.document, table, row, RealSizeViewPx);
        QString reason;
        if (!filled.document)
            reason = MergeMessages::english(filled.problem);
        else if (writeOne(dir.filePath(names[row]), format, *filled.document, design, options.page,
                          reason))
            continue;
        return refuse(QStringLiteral("%1 (%2 of %3 files were written)")
                          .arg(reason)
                          .arg(row)
                          .arg(table.rowCount()));
    }
    return GpcTool::Success;
}

} // namespace

int GpcTool::runMerge(const QStringList& args) {
    MergeOptions options;
    if (const QString problem = parse(args, options); !problem.isEmpty())
        return usage(problem);
    Format format = Format::Pdf;
    if (const QString problem = checkCombination(options, format); !problem.isEmpty())
        return usage(problem);

    QString reason;
    const std::optional<PageOptions::LoadedLabel> design =
        PageOptions::load(options.design, reason);
    if (!design)
        return refuse(reason);
    const MergeTable::ReadResult table = MergeTable::read(options.table);
    if (!table.table)
        return refuse(
            QStringLiteral("%1: %2").arg(options.table, MergeMessages::english(table.problem)));
    // Every row is filled and checked before the first byte is written.
    if (const std::optional<MergeProblem> problem =
            MergeFill::checkAll(design->document, *table.table, RealSizeViewPx))
        return refuse(
            QStringLiteral("%1: %2").arg(options.table, MergeMessages::english(*problem)));

    if (!options.eachDir.isEmpty())
        return writeEach(options, format, *design, *table.table);
    const auto labelAt = [&](int row) {
        return *MergeFill::fillRow(design->document, *table.table, row, RealSizeViewPx).document;
    };
    if (!PageExport::writePdfPages(options.output, table.table->rowCount(), labelAt,
                                   design->picture, options.page.page, &reason,
                                   options.startPosition))
        return refuse(reason);
    return Success;
}
