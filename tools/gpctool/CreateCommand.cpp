#include "document/LabelFileStore.h"
#include "shapes/Geometry.h"
#include "shapes/ItemPlacement.h"
#include "tools/gpctool/Commands.h"
#include "tools/gpctool/DocumentJson.h"

#include <QFile>
#include <algorithm>
#include <cstdio>

namespace {

struct CreateArgs {
    QString specPath;
    QString picturePath;
    QString outPath;
    bool measure = false;
};

// The editor measures an item when it is inserted or edited; measured for a view at the label's
// real size, the extent is what the printed text takes.
void measureItems(LabelDocument& document) {
    for (int i = 0; i < document.itemCount(); ++i)
        ItemPlacement::measure(document.item(i), RealSizeViewPx);
}

void printError(const QString& line) {
    const QByteArray bytes = QStringLiteral("gpctool: %1\n").arg(line).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

std::optional<CreateArgs> parseArgs(const QStringList& args) {
    CreateArgs parsed;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--json") && hasValue)
            parsed.specPath = args.at(++i);
        else if (arg == QLatin1String("--measure"))
            parsed.measure = true;
        else if (arg == QLatin1String("--picture") && hasValue)
            parsed.picturePath = args.at(++i);
        else if (arg.startsWith(QLatin1String("--")) || !parsed.outPath.isEmpty())
            return std::nullopt;
        else
            parsed.outPath = arg;
    }
    if (parsed.specPath.isEmpty() || parsed.outPath.isEmpty())
        return std::nullopt;
    return parsed;
}

} // namespace

int GpcTool::runCreate(const QStringList& args) {
    const std::optional<CreateArgs> parsed = parseArgs(args);
    if (!parsed) {
        std::fputs("usage: gpctool create --json LABEL.json [--picture FILE] [--measure] OUT.gpc\n",
                   stderr);
        return UsageError;
    }
    QFile specFile(parsed->specPath);
    if (!specFile.open(QIODevice::ReadOnly)) {
        printError(
            QStringLiteral("cannot read \"%1\": %2").arg(parsed->specPath, specFile.errorString()));
        return Refused;
    }
    const DocumentJson::ReadResult description = DocumentJson::read(specFile.readAll());
    if (!description.description) {
        printError(QStringLiteral("%1: %2").arg(parsed->specPath, description.reason));
        return Refused;
    }
    LabelDocument document = description.description->document;
    if (parsed->measure)
        measureItems(document);
    const LabelFileStore::SaveResult saved = LabelFileStore::save(
        parsed->outPath, document, description.description->scaleStep, parsed->picturePath);
    if (!saved.ok) {
        printError(QStringLiteral("%1: %2").arg(parsed->outPath, saved.reason));
        return Refused;
    }
    return Success;
}
