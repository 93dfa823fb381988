#include "Version.h"
#include "mainwindow/AppIcon.h"
#include "mainwindow/frmMain.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

namespace {
// Qt aborts with a long message when there is no display; say it in one line instead.
bool hasDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return true;
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (display && *display) || (wayland && *wayland);
}
} // namespace

int main(int argc, char** argv) {
    if (!hasDisplay()) {
        std::fprintf(stderr, "gyroplatecomposer: no graphical display; run it on a desktop, or "
                             "under Xvfb: Xvfb :99 & DISPLAY=:99 gyroplatecomposer\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Gyroplatecomposer"));
    QApplication::setApplicationVersion(QLatin1String(GpcVersion));
    QApplication::setWindowIcon(AppIcon::icon());

    // Qt's own buttons and dialogs in Japanese, like the rest of the editor.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    QtPlatform platform;
    frmMain window(platform);
    window.show();
    window.tellRefusedSheets();
    // A document named on the command line (as a file manager passes it) opens as Open would.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        window.openDocumentFile(arguments.at(1));
    return app.exec();
}
