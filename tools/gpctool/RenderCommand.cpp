// gpctool render: the printed page as PDF or PNG, the label square alone, or the screen view as
// PNG, without a printer or a display. gpctool alignment: the alignment sheet's page.
#include "tools/gpctool/Commands.h"

#include "document/LabelFileStore.h"
#include "platform/pictures/PictureLoader.h"
#include "printing/render/PageExport.h"

#include <QRegularExpression>
#include <cmath>
#include <cstdio>
#include <optional>

namespace {

struct RenderOptions {
    PageExport::Page page;
    int dpi = 300;
    std::optional<int> viewPx;
    bool label = false;
    bool pageGiven = false, offsetGiven = false, dpiGiven = false;
    QString input, output;
};

const char* const RenderUsage =
    "usage: gpctool render [--offset L,T] [--page WxH] [--dpi N] [--view PX] "
    "FILE.gpc OUT.pdf|OUT.png\n"
    "       gpctool render --label [--dpi N] FILE.gpc OUT.pdf|OUT.png\n";
const char* const AlignmentUsage =
    "usage: gpctool alignment [--offset L,T] [--page WxH] [--dpi N] OUT.pdf|OUT.png\n";

int usage(const QString& message, const char* text = RenderUsage) {
    std::fprintf(stderr, "gpctool: %s\n", qPrintable(message));
    std::fputs(text, stderr);
    return GpcTool::UsageError;
}

int refuse(const QString& message) {
    std::fprintf(stderr, "gpctool: %s\n", qPrintable(message));
    return GpcTool::Refused;
}

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

std::optional<int> wholeNumber(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// Reads one option and its value; an empty string on success, else what was wrong.
QString readOption(const QString& name, const QString& value, RenderOptions& options) {
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
    } else if (name == QLatin1String("--view")) {
        options.viewPx = wholeNumber(value);
        if (!options.viewPx || *options.viewPx < PageExport::MinViewPx ||
            *options.viewPx > PageExport::MaxViewPx)
            return QStringLiteral("--view needs a whole number of pixels from %1 to %2")
                .arg(PageExport::MinViewPx)
                .arg(PageExport::MaxViewPx);
    } else {
        return QStringLiteral("unknown option '%1'").arg(name);
    }
    return QString();
}

QString parse(const QStringList& args, RenderOptions& options, QStringList& positional) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (!arg.startsWith(QLatin1String("--")) || arg == QLatin1String("--")) {
            positional << arg;
            continue;
        }
        if (arg == QLatin1String("--label")) {
            options.label = true;
            continue;
        }
        QString name = arg, value;
        if (const qsizetype eq = arg.indexOf(u'='); eq > 0) {
            name = arg.left(eq);
            value = arg.mid(eq + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return QStringLiteral("%1 needs a value").arg(arg);
        }
        if (const QString problem = readOption(name, value, options); !problem.isEmpty())
            return problem;
    }
    return QString();
}

QString outputKind(const QString& output, bool& pdf) {
    const QString suffix = output.section(u'.', -1).toLower();
    if (suffix != QLatin1String("pdf") && suffix != QLatin1String("png"))
        return QStringLiteral("the output must end in .pdf or .png");
    pdf = suffix == QLatin1String("pdf");
    return QString();
}

// Which output the file name asks for, and whether the options fit it.
QString checkCombination(const RenderOptions& options, bool& pdf) {
    if (const QString problem = outputKind(options.output, pdf); !problem.isEmpty())
        return problem;
    if (options.label && (options.viewPx || options.pageGiven || options.offsetGiven))
        return QStringLiteral("--label writes the label square alone and takes no page options");
    if (options.viewPx && (pdf || options.pageGiven || options.offsetGiven || options.dpiGiven))
        return QStringLiteral("--view writes a PNG of the screen view and takes no page options");
    if (pdf && options.dpiGiven)
        return QStringLiteral("--dpi applies to PNG output only");
    return QString();
}

struct LoadedLabel {
    LabelDocument document;
    Picture picture;
};

std::optional<LoadedLabel> load(const QString& path, QString& reason) {
    const LabelFileCodec::DecodeResult decoded = LabelFileStore::load(path);
    if (!decoded.file) {
        reason = QStringLiteral("%1: %2").arg(path, decoded.reason);
        return std::nullopt;
    }
    LoadedLabel label{decoded.file->document, Picture()};
    if (!decoded.file->picture.isEmpty()) {
        PictureLoader::LoadResult picture = PictureLoader::loadBytes(decoded.file->picture);
        if (!picture.picture) {
            reason = QStringLiteral("%1: the embedded picture cannot be read: %2")
                         .arg(path, picture.reason);
            return std::nullopt;
        }
        label.picture = std::move(*picture.picture);
    }
    return label;
}

} // namespace

int GpcTool::runRender(const QStringList& args) {
    RenderOptions options;
    QStringList positional;
    if (const QString problem = parse(args, options, positional); !problem.isEmpty())
        return usage(problem);
    if (positional.size() != 2)
        return usage(QStringLiteral("needs a document and an output file"));
    options.input = positional[0];
    options.output = positional[1];
    bool pdf = false;
    if (const QString problem = checkCombination(options, pdf); !problem.isEmpty())
        return usage(problem);

    QString reason;
    const std::optional<LoadedLabel> label = load(options.input, reason);
    if (!label)
        return refuse(reason);

    bool written = false;
    if (options.label) {
        written = pdf ? PageExport::writeLabelPdf(options.output, label->document, label->picture,
                                                  &reason)
                      : PageExport::writeLabelPng(options.output, label->document, label->picture,
                                                  options.dpi, &reason);
    } else if (options.viewPx) {
        QString notice;
        written = PageExport::writeView(options.output, label->document, label->picture,
                                        *options.viewPx, &reason, &notice);
        if (!notice.isEmpty())
            std::fprintf(stderr, "gpctool: %s\n", qPrintable(notice));
    } else if (pdf) {
        written = PageExport::writePdf(options.output, label->document, label->picture,
                                       options.page, &reason);
    } else {
        written = PageExport::writePng(options.output, label->document, label->picture,
                                       options.page, options.dpi, &reason);
    }
    return written ? Success : refuse(reason);
}

int GpcTool::runAlignment(const QStringList& args) {
    RenderOptions options;
    QStringList positional;
    if (const QString problem = parse(args, options, positional); !problem.isEmpty())
        return usage(problem, AlignmentUsage);
    if (options.viewPx || options.label)
        return usage(QStringLiteral("the alignment sheet takes only page options"),
                     AlignmentUsage);
    if (positional.size() != 1)
        return usage(QStringLiteral("needs one output file"), AlignmentUsage);
    bool pdf = false;
    if (const QString problem = outputKind(positional[0], pdf); !problem.isEmpty())
        return usage(problem, AlignmentUsage);
    if (pdf && options.dpiGiven)
        return usage(QStringLiteral("--dpi applies to PNG output only"), AlignmentUsage);
    QString reason;
    const bool written =
        pdf ? PageExport::writeAlignmentPdf(positional[0], options.page, &reason)
            : PageExport::writeAlignmentPng(positional[0], options.page, options.dpi, &reason);
    return written ? Success : refuse(reason);
}
