#include "document/LabelFileStore.h"
#include "tools/gpctool/Commands.h"
#include "tools/gpctool/DocumentJson.h"

#include <QFile>
#include <cstdio>

namespace {

struct CreateArgs {
    QString specPath;
    QString picturePath;
    QString outPath;
};

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
        std::fputs("usage: gpctool create --json SPEC.json [--picture FILE] OUT.gpc\n", stderr);
        return UsageError;
    }
    QFile specFile(parsed->specPath);
    if (!specFile.open(QIODevice::ReadOnly)) {
        printError(
            QStringLiteral("cannot read \"%1\": %2").arg(parsed->specPath, specFile.errorString()));
        return Refused;
    }
    const DocumentJson::ReadResult spec = DocumentJson::read(specFile.readAll());
    if (!spec.spec) {
        printError(QStringLiteral("%1: %2").arg(parsed->specPath, spec.reason));
        return Refused;
    }
    const LabelFileStore::SaveResult saved = LabelFileStore::save(
        parsed->outPath, spec.spec->document, spec.spec->scaleStep, parsed->picturePath);
    if (!saved.ok) {
        printError(QStringLiteral("%1: %2").arg(parsed->outPath, saved.reason));
        return Refused;
    }
    return Success;
}
