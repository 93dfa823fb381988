#include "Version.h"
#include "tools/gpctool/Commands.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <cstring>

namespace {
// Qt's own chatter (a missing runtime folder, font fallbacks) is not the tool's to print: only
// its own lines and Qt's real errors reach the terminal.
void keepRealErrors(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtCriticalMsg && type != QtFatalMsg)
        return;
    const QByteArray line = "gpctool: " + message.toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
}

void printUsage(std::FILE* out) {
    std::fputs("usage: gpctool info [--json] FILE.gpc\n"
               "       gpctool create --json LABEL.json [--picture FILE] [--measure] OUT.gpc\n"
               "       gpctool render [page options] [--dpi N] FILE.gpc OUT.pdf|OUT.png\n"
               "       gpctool render --view PX [--sheet NAME] FILE.gpc OUT.png\n"
               "       gpctool render --label [--dpi N] FILE.gpc OUT.pdf|OUT.png\n"
               "       gpctool alignment [page options] [--dpi N] OUT.pdf|OUT.png\n"
               "       gpctool check [--sheet NAME] [--page WxH] [--offset L,T] FILE.gpc\n"
               "       gpctool merge [page options] [--start K] DESIGN.gpc TABLE.csv OUT.pdf\n"
               "       gpctool merge --each DIR [--name PATTERN] [page options] DESIGN.gpc "
               "TABLE.csv\n"
               "       gpctool sheets\n"
               "       gpctool tracks PATH... [--json]\n"
               "       gpctool --help | --version\n"
               "page options: --offset L,T  --page WxH  --sheet NAME  --positions 1,2  "
               "--scale X,Y\n",
               out);
}
} // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(keepRealErrors);
    // Text measurement and rendering need a GUI application, but never a display.
    if (!std::getenv("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        printUsage(stderr);
        return GpcTool::UsageError;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        printUsage(stdout);
        return GpcTool::Success;
    }
    if (command == QLatin1String("--version")) {
        std::printf("gpctool %s\n", GpcVersion);
        return GpcTool::Success;
    }
    if (command == QLatin1String("info"))
        return GpcTool::runInfo(args);
    if (command == QLatin1String("create"))
        return GpcTool::runCreate(args);
    if (command == QLatin1String("render"))
        return GpcTool::runRender(args);
    if (command == QLatin1String("alignment"))
        return GpcTool::runAlignment(args);
    if (command == QLatin1String("check"))
        return GpcTool::runCheck(args);
    if (command == QLatin1String("merge"))
        return GpcTool::runMerge(args);
    if (command == QLatin1String("tracks"))
        return GpcTool::runTracks(args);
    if (command == QLatin1String("sheets"))
        return GpcTool::runSheets(args);
    std::fprintf(stderr, "gpctool: unknown command '%s'\n", qPrintable(command));
    printUsage(stderr);
    return GpcTool::UsageError;
}
