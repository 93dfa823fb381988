#pragma once

#include "printing/PrinterProfile.h"
#include "printing/render/SheetPage.h"
#include "view/LabelRenderer.h"

#include <QPrinter>
#include <QString>
#include <functional>
#include <vector>

class QPainter;
class QWidget;

// What Print, the preview, the alignment sheet and merge printing share, so that each starts,
// checks and draws its job the same way: the medium chosen and the printer's settings for it read
// first (an unusable one reported before any dialog), the printer chosen last restored and the one
// chosen now remembered, the document name the print queue shows, the page's origin (the printable
// area for the tray, the paper's corner for a sheet), and the question when a label would not lie
// wholly inside the printable area.
class PrintJob {
public:
    // Draws a page given where its top-left corner (the tray: the printable area's) lies.
    using PageContent = std::function<void(QPainter&, const Geometry& page)>;

    // `title` heads the questions the job asks.
    PrintJob(Platform& platform, QWidget* parent, const QString& documentName,
             const QString& title);
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    // The name a document's jobs carry: the document's file name, or the program's.
    static QString documentNameOf(const QString& documentPath);

    // Reads the medium and the printer's offset and scale for it; false after reporting a
    // medium no longer listed or an unusable setting.
    bool start();

    QPrinter& printer() { return printer_; }
    const SheetLayout& layout() const { return placement_.layout; }
    // Where the labels go on the printer the job is on.
    const SheetPage::Placement& placement() const { return placement_; }
    // The positions printed (0-based); every position of the medium until set.
    const std::vector<int>& positions() const { return positions_; }
    void setPositions(std::vector<int> positions) { positions_ = std::move(positions); }
    // The settings of the printer the job is on, for its medium.
    PrinterProfile profile();

    // The print dialog, then the question when a label would leave the chosen printer's
    // printable area. The chosen printer is remembered and its settings read. False when the
    // user cancelled or said no, or the chosen printer's setting is unusable (reported).
    bool choosePrinter();

    // The question alone, on the printer as it stands (the preview asks before it shows).
    bool confirmPlacement();

    // After a preview, which may have moved to another printer and printed there.
    void rememberPrinter();

    // Opens a page on `target` (the job's printer, or the one a preview hands over) with the
    // printable area's top-left corner as its origin; false when the printer refused the job.
    static bool begin(QPainter& painter, QPrinter& target);
    // Where a page's top-left corner lies on a painter begun on `target`: the printable area's
    // in the tray (the offset is measured from it), the paper's on a sheet (the labels' places
    // are).
    Geometry pageGeometry(QPrinter& target) const;

    // One page on `target`; false when the printer refused the job.
    bool printPage(QPrinter& target, const PageContent& content) const;
    bool printPage(const PageContent& content) { return printPage(printer_, content); }

    // "印刷できませんでした。" and the reason on a second line.
    void reportFailure(const QString& reason) const;
    void reportRefused() const;

private:
    // The printer a profile belongs to: none for a job sent to a file.
    QString profilePrinter() const;
    // The offset and scale of the printer the job is on; false after reporting an unusable one.
    bool readSettings();

    Platform& platform_;
    QWidget* parent_;
    QString title_;
    QPrinter printer_{QPrinter::HighResolution};
    SheetPage::Placement placement_;
    std::vector<int> positions_{0};
};
