// gpctool sheets: every medium the editor offers, one line each, and a line on stderr for each of
// the user's sheet files that was left out.
#include "tools/gpctool/Commands.h"

#include "printing/render/SheetCatalog.h"

#include <cstdio>

namespace {

void printLine(std::FILE* out, const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}

QString mm(double value) {
    return QString::number(value, 'f', 2);
}

// "Avery L6015: page 210 x 297 mm, outer 117.00 mm, hole 41.00 mm, labels at (105.00, 79.90),
// (105.00, 218.33)"
QString describe(const SheetLayout& medium) {
    QString name = medium.name;
    if (!medium.aliases.isEmpty())
        name += QStringLiteral(" (also %1)").arg(medium.aliases.join(QStringLiteral(", ")));
    if (medium.isDiscTray())
        return QStringLiteral("%1: the printer's page, disc %2 mm, hole %3 mm, one label at the "
                              "offset from the printable area")
            .arg(name, mm(medium.outerDiameterMm), mm(medium.holeDiameterMm));
    QStringList centres;
    for (const QPointF& centre : medium.centresMm)
        centres << QStringLiteral("(%1, %2)").arg(mm(centre.x()), mm(centre.y()));
    QString line = QStringLiteral("%1: page %2 x %3 mm, outer %4 mm, hole %5 mm, labels at %6")
                       .arg(name)
                       .arg(medium.pageMm.width())
                       .arg(medium.pageMm.height())
                       .arg(mm(medium.outerDiameterMm), mm(medium.holeDiameterMm),
                            centres.join(QStringLiteral(", ")));
    if (!medium.file.isEmpty())
        line += QStringLiteral(" [%1]").arg(medium.file);
    return line;
}

} // namespace

int GpcTool::runSheets(const QStringList& args) {
    if (!args.isEmpty()) {
        printLine(stderr, QStringLiteral("gpctool: sheets takes no arguments"));
        std::fputs("usage: gpctool sheets\n", stderr);
        return UsageError;
    }
    const SheetCatalog::Catalog& catalog = SheetCatalog::installed();
    for (const SheetLayout& medium : catalog.media)
        printLine(stdout, describe(medium));
    for (const SheetCatalog::Refusal& refused : catalog.refused)
        printLine(stderr, QStringLiteral("gpctool: %1: left out: %2")
                              .arg(refused.file, SheetFile::english(refused.problem)));
    return Success;
}
