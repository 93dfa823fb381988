#pragma once

#include "printing/PrinterProfile.h"
#include "view/LabelRenderer.h"

#include <QPrinter>
#include <QString>
#include <functional>

class QPainter;
class QWidget;

// What Print, the preview, the alignment sheet and merge printing share, so that each starts,
// checks and draws its job the same way: the stored offset read first (an unusable one reported
// before any dialog), the printer chosen last restored and the one chosen now remembered, the
// document name the print queue shows, the printable area as the page's origin, and the question
// when the label square would not lie wholly inside that area.
class PrintJob {
public:
    using PageContent = std::function<void(QPainter&, const Geometry&)>;

    // `title` heads the questions the job asks.
    PrintJob(Platform& platform, QWidget* parent, const QString& documentName,
             const QString& title);
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    // The name a document's jobs carry: the document's file name, or the program's.
    static QString documentNameOf(const QString& documentPath);

    // Reads the stored offset; false after reporting an unusable one.
    bool start();

    QPrinter& printer() { return printer_; }
    const PrinterProfile::Offset& offset() const { return offset_; }
    // The settings of the printer the job is on.
    PrinterProfile profile();

    // The print dialog, then the question when the label would leave the chosen printer's
    // printable area. The chosen printer is remembered. False when the user cancelled or said
    // no, without a word more.
    bool choosePrinter();

    // The question alone, on the printer as it stands (the preview asks before it shows).
    bool confirmPlacement();

    // After a preview, which may have moved to another printer and printed there.
    void rememberPrinter();

    // Opens a page on `target` (the job's printer, or the one a preview hands over) with the
    // printable area's top-left corner as its origin; false when the printer refused the job.
    static bool begin(QPainter& painter, QPrinter& target);

    // One page on `target`; false when the printer refused the job.
    bool printPage(QPrinter& target, const PageContent& content) const;
    bool printPage(const PageContent& content) { return printPage(printer_, content); }

    // "印刷できませんでした。" and the reason on a second line.
    void reportFailure(const QString& reason) const;
    void reportRefused() const;

private:
    Platform& platform_;
    QWidget* parent_;
    QString title_;
    QPrinter printer_{QPrinter::HighResolution};
    PrinterProfile::Offset offset_;
};
