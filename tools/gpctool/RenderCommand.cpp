// gpctool render: the printed page as PDF or PNG, the label square alone, or the screen view as
// PNG, without a printer or a display. gpctool alignment: the alignment sheet's page.
#include "tools/gpctool/Commands.h"

#include "printing/render/PageExport.h"
#include "tools/gpctool/PageOptions.h"

#include <cstdio>
#include <optional>

namespace {

struct RenderOptions {
    PageOptions::Options page;
    std::optional<int> viewPx;
    bool label = false;
    QString input, output;
};

const char* const RenderUsage =
    "usage: gpctool render [--offset L,T] [--page WxH] [--dpi N] [--sheet NAME] "
    "[--positions 1,2] [--scale X,Y] FILE.gpc OUT.pdf|OUT.png\n"
    "       gpctool render --view PX [--sheet NAME] FILE.gpc OUT.png\n"
    "       gpctool render --label [--dpi N] FILE.gpc OUT.pdf|OUT.png\n";
const char* const AlignmentUsage =
    "usage: gpctool alignment [--offset L,T] [--page WxH] [--dpi N] [--sheet NAME] "
    "[--positions 1,2] [--scale X,Y] OUT.pdf|OUT.png\n";

int usage(const QString& message, const char* text = RenderUsage) {
    std::fprintf(stderr, "gpctool: %s\n", qPrintable(message));
    std::fputs(text, stderr);
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
    if (name == QLatin1String("--view")) {
        options.viewPx = PageOptions::wholeNumber(value);
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
        QString name, value;
        if (const QString problem = PageOptions::split(args, i, name, value); !problem.isEmpty())
            return problem;
        if (const QString problem = readOption(name, value, options); !problem.isEmpty())
            return problem;
    }
    return PageOptions::finish(options.page);
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
    const PageOptions::Options& page = options.page;
    if (options.label && (options.viewPx || page.placesLabels()))
        return QStringLiteral("--label writes the label square alone and takes no page options");
    // The view shows a sheet's guide circles, and places nothing on a page.
    if (options.viewPx && (pdf || page.pageGiven || page.offsetGiven || page.dpiGiven ||
                           page.scaleGiven || page.positionsGiven()))
        return QStringLiteral("--view writes a PNG of the screen view and takes no page options");
    if (pdf && options.page.dpiGiven)
        return QStringLiteral("--dpi applies to PNG output only");
    return QString();
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
    const std::optional<PageOptions::LoadedLabel> label = PageOptions::load(options.input, reason);
    if (!label)
        return refuse(reason);

    bool written = false;
    if (options.label) {
        written = pdf ? PageExport::writeLabelPdf(options.output, label->document, label->picture,
                                                  &reason)
                      : PageExport::writeLabelPng(options.output, label->document, label->picture,
                                                  options.page.dpi, &reason);
    } else if (options.viewPx) {
        QString notice;
        written =
            PageExport::writeView(options.output, label->document, label->picture, *options.viewPx,
                                  &reason, &notice, options.page.page.layout.frame());
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

int GpcTool::runAlignment(const QStringList& args) {
    RenderOptions options;
    QStringList positional;
    if (const QString problem = parse(args, options, positional); !problem.isEmpty())
        return usage(problem, AlignmentUsage);
    if (options.viewPx || options.label)
        return usage(QStringLiteral("the alignment sheet takes only page options"), AlignmentUsage);
    if (positional.size() != 1)
        return usage(QStringLiteral("needs one output file"), AlignmentUsage);
    bool pdf = false;
    if (const QString problem = outputKind(positional[0], pdf); !problem.isEmpty())
        return usage(problem, AlignmentUsage);
    if (pdf && options.page.dpiGiven)
        return usage(QStringLiteral("--dpi applies to PNG output only"), AlignmentUsage);
    QString reason;
    const bool written =
        pdf ? PageExport::writeAlignmentPdf(positional[0], options.page.page, &reason)
            : PageExport::writeAlignmentPng(positional[0], options.page.page, options.page.dpi,
                                            &reason);
    return written ? Success : refuse(reason);
}
