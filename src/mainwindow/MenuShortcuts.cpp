#include "mainwindow/MenuShortcuts.h"

#include <QAction>
#include <QKeySequence>
#include <QWidget>

namespace MenuShortcuts {

namespace {
struct Entry {
    const char* action;
    int index; // the "Index" property of a control array's member, -1 for none
    const char* keys;
};

constexpr Entry Entries[] = {
    {"mnuFileNew", -1, "Ctrl+N"},   {"mnuFileOpen", -1, "Ctrl+O"},
    {"mnuFileSave", 0, "Ctrl+S"},   {"mnuFileSave", 1, "Ctrl+Shift+S"},
    {"mnuFilePrint", -1, "Ctrl+P"}, {"mnuFileExit", -1, "Ctrl+Q"},
};
} // namespace

void apply(QWidget& window) {
    for (QAction* action : window.findChildren<QAction*>()) {
        for (const Entry& entry : Entries) {
            if (action->objectName() != QLatin1String(entry.action))
                continue;
            if (entry.index >= 0 && action->property("Index").toInt() != entry.index)
                continue;
            action->setShortcut(QKeySequence(QLatin1String(entry.keys)));
        }
    }
}

} // namespace MenuShortcuts
