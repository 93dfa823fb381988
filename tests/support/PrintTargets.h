#pragma once

#include <QMarginsF>
#include <QString>
#include <functional>

class QPrinter;

// Where a test's print jobs go: a PDF file standing in for the printer, or a spooler queue.
namespace PrintTargets {

// A print dialog answer that sends the job to a PDF file on A4 with the given margins: with
// none, the label lies at the page's corner.
std::function<bool(QPrinter&)> pdfOnA4(const QString& path, QMarginsF marginsMm = QMarginsF());

// Waits up to three minutes until the queue has no unfinished job; the spooler works on its
// own time.
bool queueDrained(const QString& queue);

} // namespace PrintTargets
