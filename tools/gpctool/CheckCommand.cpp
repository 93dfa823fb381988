// gpctool check: the text that would print onto the hub or the tray, as Print asks about it, and,
// given a page, a label square that would not lie wholly on it.
#include "document/LabelFileStore.h"
#include "printing/render/PrintableArea.h"
#include "tools/gpctool/Commands.h"
#include "tools/gpctool/PageOptions.h"
#include "view/DiscRangeCheck.h"
#include "view/LabelRenderer.h"

#include <cstdio>

namespace {

const char* const Usage =
    "usage: gpctool check [--sheet NAME] [--page WxH] [--offset L,T] FILE.gpc\n";

void printLine(std::FILE* out, const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}

int usage(const QString& message) {
    printLine(stderr, QStringLiteral("gpctool: %1").arg(message));
    std::fputs(Usage, stderr);
    return GpcTool::UsageError;
}

QString describe(const TextItem& item, const DiscRangeCheck::Finding& finding,
                 const DiscFrame& frame) {
    QStringList reaches;
    if (finding.reach.insideInnerMm > 0)
        reaches << QStringLiteral("%1 mm inside the %2 mm circle")
                       .arg(finding.reach.insideInnerMm, 0, 'f', 2)
                       .arg(frame.innerGuideRadiusMm);
    if (finding.reach.outsideOuterMm > 0)
        reaches << QStringLiteral("%1 mm outside the %2 mm circle")
                       .arg(finding.reach.outsideOuterMm, 0, 'f', 2)
                       .arg(frame.outerGuideRadiusMm);
    return QStringLiteral("[%1] \"%2\": %3")
        .arg(finding.index)
        .arg(item.Text, reaches.join(QStringLiteral(", ")));
}

QString reachesOf(const PrintableArea::Overhang& overhang) {
    QStringList reaches;
    const std::pair<double, const char*> edges[] = {{overhang.leftMm, "left"},
                                                    {overhang.topMm, "top"},
                                                    {overhang.rightMm, "right"},
                                                    {overhang.bottomMm, "bottom"}};
    for (const auto& [mm, edge] : edges)
        if (mm > PrintableArea::ToleranceMm)
            reaches << QStringLiteral("%1 mm past the %2 edge").arg(mm, 0, 'f', 2).arg(edge);
    return reaches.join(QStringLiteral(", "));
}

// "label square at 100, 0 mm: 12.00 mm past the right edge of the 210 x 297 mm page"; on a sheet
// "label 2 of Avery L6015 at offset 0, 5 mm: 2.10 mm past the bottom edge of ..."
QString describe(const PageExport::Page& page, int position,
                 const PrintableArea::Overhang& overhang) {
    const QString what =
        page.layout.isDiscTray()
            ? QStringLiteral("label square at %1, %2 mm").arg(page.leftMm).arg(page.topMm)
            : QStringLiteral("label %1 of %2 at offset %3, %4 mm")
                  .arg(position + 1)
                  .arg(page.layout.name)
                  .arg(page.leftMm)
                  .arg(page.topMm);
    return QStringLiteral("%1: %2 of the %3 x %4 mm page")
        .arg(what, reachesOf(overhang))
        .arg(page.sizeMm.width())
        .arg(page.sizeMm.height());
}

} // namespace

int GpcTool::runCheck(const QStringList& args) {
    PageOptions::Options options;
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        if (!args[i].startsWith(QLatin1String("--"))) {
            positional << args[i];
            continue;
        }
        QString name, value;
        if (const QString problem = PageOptions::split(args, i, name, value); !problem.isEmpty())
            return usage(problem);
        const std::optional<QString> problem = PageOptions::read(name, value, options);
        if (!problem || options.dpiGiven || options.scaleGiven || options.positionsGiven())
            return usage(QStringLiteral("check takes --sheet, --page and --offset only"));
        if (!problem->isEmpty())
            return usage(*problem);
    }
    if (const QString problem = PageOptions::finish(options); !problem.isEmpty())
        return usage(problem);
    if (positional.size() != 1)
        return usage(QStringLiteral("check needs one document"));
    const QString path = positional.first();
    const LabelFileCodec::DecodeResult result = LabelFileStore::load(path);
    if (!result.file) {
        printLine(stderr, QStringLiteral("gpctool: %1: %2").arg(path, result.reason));
        return Refused;
    }
    const LabelDocument& document = result.file->document;
    const PageExport::Page& page = options.page;
    const DiscFrame frame = page.layout.frame();
    const std::vector<DiscRangeCheck::Finding> findings = DiscRangeCheck::check(document, frame);
    for (const DiscRangeCheck::Finding& finding : findings)
        printLine(stdout, describe(document.item(finding.index), finding, frame));
    // A page given on the command line is printable to its edges, as render draws it.
    bool offPage = false;
    if (options.pageGiven || options.offsetGiven || options.sheetGiven) {
        const SheetPage::Placement placement = page.placement();
        for (const int position : page.chosenPositions()) {
            const PrintableArea::Overhang overhang =
                PrintableArea::rectOverhang(page.sizeMm, placement.printedMm(position));
            if (overhang.any()) {
                offPage = true;
                printLine(stdout, describe(page, position, overhang));
            }
        }
    }
    return findings.empty() && !offPage ? Success : OutOfRange;
}
