#include "support/PrintTargets.h"

#include <QElapsedTimer>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QTest>

namespace PrintTargets {

std::function<bool(QPrinter&)> pdfOnA4(const QString& path, QMarginsF marginsMm) {
    return [=](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(marginsMm, QPageLayout::Millimeter);
        return true;
    };
}

bool queueDrained(const QString& queue) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 180000) {
        QProcess lpstat;
        lpstat.start(
            QStringLiteral("lpstat"),
            {QStringLiteral("-W"), QStringLiteral("not-completed"), QStringLiteral("-o"), queue});
        if (lpstat.waitForFinished(30000) && lpstat.exitCode() == 0 &&
            lpstat.readAllStandardOutput().trimmed().isEmpty())
            return true;
        QTest::qWait(250);
    }
    return false;
}

} // namespace PrintTargets
