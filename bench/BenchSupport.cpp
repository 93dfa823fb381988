#include "BenchSupport.h"

#include "view/ViewPictureCache.h"
#include "view/widgets/LabelView.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace BenchSupport {

void useOffscreenPlatform() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

int runBenchmarks(int& argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

EditorWindow::EditorWindow() {
    window.resize(1300, 1200);
    window.show();
    QApplication::processEvents();
    window.picDoc()->resize(ViewSidePx, ViewSidePx);
}

void waitForDecodes() {
    while (ViewPictureCache::decodingAnywhere())
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    QApplication::processEvents();
}

LabelDocument hundredItems() {
    LabelDocument document;
    document.TextItems.resize(MaxTextItems);
    for (int i = 0; i < MaxTextItems; ++i) {
        TextItem& item = document.item(i);
        item.Text = QStringLiteral(u"ラベル項目 %1 Label").arg(i);
        item.FontName = i % 2 ? QStringLiteral("IPAMincho") : QStringLiteral("IPAGothic");
        item.Left = float(i % 10) * 11;
        item.Top = float(i / 10) * 11;
        item.Size = 10 + i % 30;
        item.Color = i % 16;
    }
    return document;
}

} // namespace BenchSupport
