// gpctool check: the text that would print onto the hub or the tray, as Print asks about it.
#include "document/LabelFileStore.h"
#include "tools/gpctool/Commands.h"
#include "view/DiscRangeCheck.h"
#include "view/LabelRenderer.h"

#include <cstdio>

namespace {

void printLine(std::FILE* out, const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}

QString describe(const TextItem& item, const DiscRangeCheck::Finding& finding) {
    QStringList reaches;
    if (finding.reach.insideInnerMm > 0)
        reaches << QStringLiteral("%1 mm inside the %2 mm circle")
                       .arg(finding.reach.insideInnerMm, 0, 'f', 2)
                       .arg(DiscFrame::disc().innerGuideRadiusMm);
    if (finding.reach.outsideOuterMm > 0)
        reaches << QStringLiteral("%1 mm outside the %2 mm circle")
                       .arg(finding.reach.outsideOuterMm, 0, 'f', 2)
                       .arg(DiscFrame::disc().outerGuideRadiusMm);
    return QStringLiteral("[%1] \"%2\": %3")
        .arg(finding.index)
        .arg(item.Text, reaches.join(QStringLiteral(", ")));
}

} // namespace

int GpcTool::runCheck(const QStringList& args) {
    if (args.size() != 1 || args.first().startsWith(QLatin1String("--"))) {
        printLine(stderr, QStringLiteral("usage: gpctool check FILE.gpc"));
        return UsageError;
    }
    const QString path = args.first();
    const LabelFileCodec::DecodeResult result = LabelFileStore::load(path);
    if (!result.file) {
        printLine(stderr, QStringLiteral("gpctool: %1: %2").arg(path, result.reason));
        return Refused;
    }
    const LabelDocument& document = result.file->document;
    const std::vector<DiscRangeCheck::Finding> findings = DiscRangeCheck::check(document);
    for (const DiscRangeCheck::Finding& finding : findings)
        printLine(stdout, describe(document.item(finding.index), finding));
    return findings.empty() ? Success : OutOfRange;
}
