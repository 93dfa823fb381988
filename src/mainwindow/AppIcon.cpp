#include "mainwindow/AppIcon.h"

#include <QtGlobal>

// The resources live in a static library, so they are registered on first use.
static void initResources() { Q_INIT_RESOURCE(resources); }

QIcon AppIcon::icon() {
    static const bool registered = (initResources(), true);
    (void)registered;
    return QIcon(QStringLiteral(":/icons/gyroplatecomposer.svg"));
}
