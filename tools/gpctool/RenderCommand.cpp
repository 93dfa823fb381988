// gpctool render: the printed page as PDF or PNG, or the screen view as PNG, without a printer
// or a display.
#include "tools/gpctool/Commands.h"

#include "printing/render/PageExport.h"
#include "tools/gpctool/PageOptions.h"

#include <cstdio>
#include <optional>

namespace {

struct RenderOptions {
    PageOptions::Options page;
    std::optional<int> viewPx;
    QString input, output;
};

int usage(const QString& message) {
    std::fprintf(stderr, "gpctool: %s\n", qPrintable(message));
    std::fputs("usage: gpctool render [--offset L,T] [--page WxH] [--dpi N] [--view PX] "
               "FILE.gpc OUT.pdf|OUT.png\n",
               stderr);
    return GpcTool::UsageError;
}

int refuse(const QString& message) {
    std::fprintf(stderr, "gpctool: %s\n", qPrintable(message));
    return GpcTool::Refused;
}

// Reads one option and its value; an empty string on success, else what was wrong.
QString readOption(const QString& name, const QString& value, RenderOptions& options) {
    if (const std::optional<QString> problem = PageOptions::read(name, value, options.page))
        return *problem;
    if (name != QLatin1String("--view"))
        return QStringLiteral("unknown option '%1'").arg(name);
    bool ok = false;
    options.viewPx = value.toInt(&ok);
    if (!ok || *options.viewPx < PageExport::MinViewPx || *options.viewPx > PageExport::MaxViewPx)
        return QStringLiteral("--view needs a whole number of pixels from %1 to %2")
            .arg(PageExport::MinViewPx)
            .arg(PageExport::MaxViewPx);
    return QString();
}

QString parse(const QStringList& args, RenderOptions& options) {
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (!arg.startsWith(QLatin1String("--")) || arg == QLatin1String("--")) {
            positional << arg;
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
    if (positional.size() != 2)
        return QStringLiteral("needs a document and an output file");
    options.input = positional[0];
    options.output = positional[1];
    return QString();
}

// Which output the file name asks for, and whether the options fit it.
QString checkCombination(const RenderOptions& options, bool& pdf) {
    const QString suffix = options.output.section(u'.', -1).toLower();
    if (suffix != QLatin1String("pdf") && suffix != QLatin1String("png"))
        return QStringLiteral("the output must end in .pdf or .png");
    pdf = suffix == QLatin1String("pdf");
    const PageOptions::Options& page = options.page;
    if (options.viewPx && (pdf || page.pageGiven || page.offsetGiven || page.dpiGiven))
        return QStringLiteral("--view writes a PNG of the screen view and takes no page options");
    if (pdf && page.dpiGiven)
        return QStringLiteral("--dpi applies to PNG output only");
    return QString();
}

} // namespace

int GpcTool::runRender(const QStringList& args) {
    RenderOptions options;
    if (const QString problem = parse(args, options); !problem.isEmpty())
        return usage(problem);
    bool pdf = false;
    if (const QString problem = checkCombination(options, pdf); !problem.isEmpty())
        return usage(problem);

    QString reason;
    const std::optional<PageOptions::LoadedLabel> label = PageOptions::load(options.input, reason);
    if (!label)
        return refuse(reason);

    bool written = false;
    if (options.viewPx) {
        QString notice;
        written = PageExport::writeView(options.output, label->document, label->picture,
                                        *options.viewPx, &reason, &notice);
        if (!notice.isEmpty())
            std::fprintf(stderr, "gpctool: %s\n", qPrintable(notice));
    } else if (pdf) {
        written = PageExport::writePdf(options.output, label->document, label->picture,
                                       options.page.page, &reason);
    } else {
        written = PageExport::writePng(options.output, label->document, label->picture,
                                       options.page.page, options.page.dpi, &reason);
    }
    return written ? Success : refuse(reason);
}
