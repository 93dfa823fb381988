#include "document/LabelFileStore.h"
#include "platform/fonts/FontCatalog.h"
#include "tools/gpctool/Commands.h"
#include "tools/gpctool/DocumentJson.h"

#include <cstdio>

namespace {

using LabelFileCodec::DecodedFile;

void printLine(std::FILE* out, const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}

QString mm(float value) {
    return QString::fromLatin1(DocumentJson::formatFloat(value));
}

// The layout, for an item that is not plain straight text.
QString describeLayout(const TextLayout& layout) {
    static const char* const sides[] = {"outside", "inside", "auto"};
    static const char* const aligns[] = {"start", "centre", "end"};
    switch (layout.kind) {
    case TextLayoutKind::Straight:
        return QStringLiteral(", turned %1°").arg(mm(layout.rotationDeg));
    case TextLayoutKind::Arc:
        return QStringLiteral(", along the disc: radius %1 mm, angle %2°, %3, %4, spacing %5 mm")
            .arg(mm(layout.radiusMm), mm(layout.angleDeg), QLatin1String(sides[int(layout.side)]),
                 QLatin1String(aligns[int(layout.align)]), mm(layout.spacingMm));
    case TextLayoutKind::Vertical:
        return QStringLiteral(", vertical: spacing %1 mm%2")
            .arg(mm(layout.spacingMm),
                 layout.uprightDigits ? QStringLiteral(", upright digits") : QString());
    }
    return QString();
}

QString describeItem(const TextItem& item, int index) {
    const QString line =
        QStringLiteral("  [%1] \"%2\" at %3, %4 mm, %5 x %6 mm, %7 pt, colour %8, font \"%9\"")
            .arg(index)
            .arg(item.Text, mm(item.Left), mm(item.Top), mm(item.Width), mm(item.Height))
            .arg(item.Size)
            .arg(item.Color)
            .arg(item.FontName);
    // What this machine draws: the file holds the name, the desktop decides the font.
    const FontResolution font = FontCatalog::installed().resolve(item.FontName);
    const QString layout = item.layout.isPlain() ? QString() : describeLayout(item.layout);
    if (!font.substituted() || item.FontName.isEmpty())
        return line + layout;
    return line + layout + QStringLiteral(" (not installed; drawn in \"%1\")").arg(font.family);
}

void printSummary(const QString& path, const DecodedFile& file) {
    const LabelDocument& document = file.document;
    printLine(stdout, QStringLiteral("%1: label document").arg(path));
    printLine(stdout, QStringLiteral("scale step:   %1").arg(file.scaleStep));
    printLine(stdout, QStringLiteral("background:   left %1, top %2, width %3, height %4 "
                                     "(mm of the picture)")
                          .arg(mm(document.BackLeft), mm(document.BackTop), mm(document.BackWidth),
                               mm(document.BackHeight)));
    printLine(stdout, file.picture.isEmpty()
                          ? QStringLiteral("picture:      none")
                          : QStringLiteral("picture:      %1 bytes").arg(file.picture.size()));
    printLine(stdout, QStringLiteral("text items:   %1, selected: %2")
                          .arg(document.itemCount())
                          .arg(document.SelectedText < 0 ? QStringLiteral("none")
                                                         : QString::number(document.SelectedText)));
    for (int i = 0; i < document.itemCount(); ++i)
        printLine(stdout, describeItem(document.item(i), i));
}

QString refusalLine(const QString& path, const LabelFileCodec::DecodeResult& result) {
    if (result.refusal == LabelFileCodec::Refusal::NotALabelFile)
        return QStringLiteral("gpctool: %1: not a label document: %2").arg(path, result.reason);
    return QStringLiteral("gpctool: %1: %2").arg(path, result.reason);
}

} // namespace

int GpcTool::runInfo(const QStringList& args) {
    const bool json = !args.isEmpty() && args.first() == QLatin1String("--json");
    const QStringList rest = json ? args.mid(1) : args;
    if (rest.size() != 1 || rest.first().startsWith(QLatin1String("--"))) {
        printLine(stderr, QStringLiteral("usage: gpctool info [--json] FILE.gpc"));
        return UsageError;
    }
    const QString path = rest.first();
    const LabelFileCodec::DecodeResult result = LabelFileStore::load(path);
    if (!result.file) {
        printLine(stderr, refusalLine(path, result));
        return Refused;
    }
    if (json) {
        const QByteArray bytes = DocumentJson::write(*result.file);
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    } else {
        printSummary(path, *result.file);
    }
    return Success;
}
