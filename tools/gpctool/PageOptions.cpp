#include "tools/gpctool/PageOptions.h"

#include "document/FontNotice.h"
#include "document/LabelFileStore.h"
#include "platform/pictures/PictureLoader.h"
#include "printing/render/SheetCatalog.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace PageOptions {

namespace {

// "A<sep>B" with two finite decimal numbers.
std::optional<std::pair<double, double>> numberPair(const QString& text,
                                                    const QString& separators) {
    const QStringList parts =
        text.split(QRegularExpression(QStringLiteral("[%1]").arg(separators)));
    if (parts.size() != 2)
        return std::nullopt;
    bool okA = false, okB = false;
    const double a = parts[0].trimmed().toDouble(&okA);
    const double b = parts[1].trimmed().toDouble(&okB);
    if (!okA || !okB || !std::isfinite(a) || !std::isfinite(b))
        return std::nullopt;
    return std::pair(a, b);
}

} // namespace

std::optional<int> wholeNumber(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

std::optional<QString> read(const QString& name, const QString& value, Options& options) {
    if (name == QLatin1String("--offset")) {
        const auto pair = numberPair(value, QStringLiteral(","));
        if (!pair || std::abs(pair->first) > PageExport::MaxPageSideMm ||
            std::abs(pair->second) > PageExport::MaxPageSideMm)
            return QStringLiteral("--offset needs L,T in millimetres, e.g. 10,5");
        options.page.leftMm = pair->first;
        options.page.topMm = pair->second;
        options.offsetGiven = true;
    } else if (name == QLatin1String("--page")) {
        const auto pair = numberPair(value, QStringLiteral("xX"));
        const auto inRange = [](double side) {
            return side >= PageExport::MinPageSideMm && side <= PageExport::MaxPageSideMm;
        };
        if (!pair || !inRange(pair->first) || !inRange(pair->second))
            return QStringLiteral("--page needs WxH in millimetres, e.g. 210x297, each side "
                                  "from %1 to %2")
                .arg(PageExport::MinPageSideMm)
                .arg(PageExport::MaxPageSideMm);
        options.page.sizeMm = QSizeF(pair->first, pair->second);
        options.pageGiven = true;
    } else if (name == QLatin1String("--dpi")) {
        const auto dpi = wholeNumber(value);
        if (!dpi || *dpi < PageExport::MinDpi || *dpi > PageExport::MaxDpi)
            return QStringLiteral("--dpi needs a whole number from %1 to %2")
                .arg(PageExport::MinDpi)
                .arg(PageExport::MaxDpi);
        options.dpi = *dpi;
        options.dpiGiven = true;
    } else if (name == QLatin1String("--sheet")) {
        const SheetLayout* sheet = SheetCatalog::installed().find(value);
        if (!sheet)
            return QStringLiteral("no sheet is named '%1' (gpctool sheets lists them)").arg(value);
        options.page.layout = *sheet;
        options.sheetGiven = true;
    } else if (name == QLatin1String("--positions")) {
        options.positions = value.isEmpty() ? QStringLiteral(",") : value;
    } else if (name == QLatin1String("--scale")) {
        const auto pair = numberPair(value, QStringLiteral(","));
        const auto inRange = [](double percent) {
            return percent >= SheetPage::MinScalePercent && percent <= SheetPage::MaxScalePercent;
        };
        if (!pair || !inRange(pair->first) || !inRange(pair->second))
            return QStringLiteral("--scale needs X,Y in percent, each from %1 to %2, e.g. 101,99.5")
                .arg(SheetPage::MinScalePercent)
                .arg(SheetPage::MaxScalePercent);
        options.page.scaleX = pair->first / 100;
        options.page.scaleY = pair->second / 100;
        options.scaleGiven = true;
    } else {
        return std::nullopt;
    }
    return QString();
}

std::optional<std::vector<int>> positionList(const QString& text, int count) {
    std::vector<int> positions;
    for (const QString& part : text.split(u',')) {
        const std::optional<int> number = wholeNumber(part.trimmed());
        if (!number || *number < 1 || *number > count ||
            std::find(positions.begin(), positions.end(), *number - 1) != positions.end())
            return std::nullopt;
        positions.push_back(*number - 1);
    }
    return positions;
}

QString finish(Options& options) {
    const SheetLayout& layout = options.page.layout;
    if (!layout.isDiscTray()) {
        if (options.pageGiven)
            return QStringLiteral("--sheet %1 prints on its own %2 x %3 mm page; leave out --page")
                .arg(layout.name)
                .arg(layout.pageMm.width())
                .arg(layout.pageMm.height());
        options.page.sizeMm = layout.pageMm;
    }
    if (options.positionsGiven()) {
        const std::optional<std::vector<int>> positions =
            positionList(options.positions, layout.positionCount());
        if (!positions)
            return QStringLiteral("--positions needs distinct label numbers from 1 to %1, "
                                  "e.g. 1,2")
                .arg(layout.positionCount());
        options.page.positions = *positions;
    }
    return QString();
}

QString split(const QStringList& args, int& i, QString& name, QString& value) {
    const QString& arg = args[i];
    name = arg;
    if (const qsizetype eq = arg.indexOf(u'='); eq > 0) {
        name = arg.left(eq);
        value = arg.mid(eq + 1);
    } else if (i + 1 < args.size()) {
        value = args[++i];
    } else {
        return QStringLiteral("%1 needs a value").arg(arg);
    }
    return QString();
}

std::optional<LoadedLabel> load(const QString& path, QString& reason) {
    const LabelFileCodec::DecodeResult decoded = LabelFileStore::load(path);
    if (!decoded.file) {
        reason = QStringLiteral("%1: %2").arg(path, decoded.reason);
        return std::nullopt;
    }
    LoadedLabel label{decoded.file->document, decoded.file->scaleStep, decoded.file->picture,
                      Picture()};
    if (!label.pictureBytes.isEmpty()) {
        PictureLoader::LoadResult picture = PictureLoader::loadBytes(label.pictureBytes);
        if (!picture.picture) {
            reason = QStringLiteral("%1: the embedded picture cannot be read: %2")
                         .arg(path, picture.reason);
            return std::nullopt;
        }
        label.picture = std::move(*picture.picture);
    }
    tellSubstitutedFonts(label.document);
    return label;
}

void tellSubstitutedFonts(const LabelDocument& document) {
    const QList<FontSubstitution> substitutions = FontNotice::substitutions(document);
    if (substitutions.isEmpty())
        return;
    QStringList pairs;
    for (const FontSubstitution& substitution : substitutions)
        pairs << QStringLiteral("\"%1\" in \"%2\"")
                     .arg(FontNotice::shownName(substitution.storedName), substitution.shownFamily);
    const QByteArray line = QStringLiteral("gpctool: fonts not installed, drawn in others: %1\n")
                                .arg(pairs.join(QStringLiteral(", ")))
                                .toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
}

} // namespace PageOptions
