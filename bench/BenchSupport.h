#pragma once

#include "document/LabelDocument.h"
#include "mainwindow/frmMain.h"
#include "platform/QtPlatform.h"

// What the benchmarks share: their start, the desktop they run against, the editor window and a
// full label.
namespace BenchSupport {

// Fonts, the PDF engine and the editor need an application, never a display: the offscreen
// platform unless the caller chose another. Called before the application is made.
void useOffscreenPlatform();

// Runs the benchmarks the command line names; the application must exist.
int runBenchmarks(int& argc, char** argv);

// The desktop with nothing asked of the user: messages answered OK, settings left at their
// defaults and never written, and the open dialog answered with `answer`.
class Platform : public QtPlatform {
public:
    QString answer;
    bool showOpenDialog(QWidget*, FileDialogState& dialog) override {
        dialog.fileName = answer;
        return true;
    }
    MessageAnswer showMessage(QWidget*, const QString&, const QString&, MessageButtons) override {
        return MessageAnswer::Ok;
    }
    QString readSetting(const QString&, const QString& defaultValue) override {
        return defaultValue;
    }
    bool writeSetting(const QString&, const QString&) override { return true; }
};

constexpr int ViewSidePx = 1000;

// The editor shown with a view of ViewSidePx × ViewSidePx pixels.
struct EditorWindow {
    Platform platform;
    frmMain window{platform};

    EditorWindow();
};

// Lets the decodes running off the interface thread finish and hands their pixels to the view,
// as the editor's event loop would between two pointer moves.
void waitForDecodes();

// All 100 text items, Japanese and Latin, spread over the label in every size and colour.
LabelDocument hundredItems();

} // namespace BenchSupport
