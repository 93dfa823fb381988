#pragma once

#include "document/LabelDocument.h"
#include "platform/pictures/Picture.h"
#include "printing/render/SheetPage.h"

#include <QSizeF>
#include <QString>
#include <functional>

// Writing the printed page, the label alone, the alignment sheet or the screen view to a file
// without a printer. Each function writes the whole file or nothing, as documents are written
// (AtomicReplace): the target is replaced only by a complete new file. On failure `reason` gets
// one line.
namespace PageExport {

inline constexpr QSizeF A4PortraitMm(210.0, 297.0);

// The page and where the label lies on it: the printable area is the whole page here, so the
// offset is measured from the page's top-left corner. On a sheet the offset moves every label from
// its place, the page is the sheet's, and only the chosen positions are drawn (all when none are
// named); a scale other than 1 draws each label larger or smaller about its centre.
struct Page {
    QSizeF sizeMm = A4PortraitMm;
    double leftMm = 0;
    double topMm = 0;
    SheetLayout layout = SheetLayout::discTray();
    std::vector<int> positions; // 0-based
    double scaleX = 1;
    double scaleY = 1;

    SheetPage::Placement placement() const {
        return SheetPage::Placement{layout, QPointF(leftMm, topMm), scaleX, scaleY};
    }
    std::vector<int> chosenPositions() const {
        return positions.empty() ? SheetPage::allPositions(layout) : positions;
    }
};

// Bounds that keep an export within reason.
inline constexpr double MinPageSideMm = 10.0;
inline constexpr double MaxPageSideMm = 5000.0;
inline constexpr int MinDpi = 10;
inline constexpr int MaxDpi = 2400;
inline constexpr qint64 MaxPixels = 250'000'000;
inline constexpr int MinViewPx = 16;
inline constexpr int MaxViewPx = 10000;

// A PDF page's sides are whole points (a custom size moves by at most 0.18 mm); the label's
// position on it is measured from the top-left corner and is exact.
bool writePdf(const QString& path, const LabelDocument& document, const Picture& picture,
              const Page& page, QString* reason);
// Several labels sharing one background picture, labelAt(i) for i from 0 to labelCount - 1: one
// page each in the tray; on a sheet, over the chosen positions in order, from `start` (0-based)
// on the first page and from the first on every later one (SheetPage::fill). The file holds the
// picture once however many pages there are.
bool writePdfPages(const QString& path, int labelCount,
                   const std::function<LabelDocument(int)>& labelAt, const Picture& picture,
                   const Page& page, QString* reason, int start = 0);
bool writePng(const QString& path, const LabelDocument& document, const Picture& picture,
              const Page& page, int dpi, QString* reason);

// The alignment sheet on a page, the label square at the page's offset (on a sheet, at each of
// the chosen positions).
bool writeAlignmentPdf(const QString& path, const Page& page, QString* reason);
bool writeAlignmentPng(const QString& path, const Page& page, int dpi, QString* reason);

// The label square alone as it prints, for disc duplication services: a 122 × 122 mm PDF page
// (text as text) or a PNG whose hole and corners are transparent.
inline constexpr QSizeF LabelPageMm(LabelSideMm, LabelSideMm);
bool writeLabelPdf(const QString& path, const LabelDocument& document, const Picture& picture,
                   QString* reason);
bool writeLabelPng(const QString& path, const LabelDocument& document, const Picture& picture,
                   int dpi, QString* reason);

// What the editor's view shows at a side of sidePx pixels, the frame's guide circles and the outlines of text
// off the ring included, drawn as the editor draws it (a large JPEG decoded for the shown part
// only). Where the view would refuse the background placement, the editor shows its limit message
// and draws from the picture's top-left corner; the export does the same and reports it in
// `notice`.
bool writeView(const QString& path, const LabelDocument& document, const Picture& picture,
               int sidePx, QString* reason, QString* notice,
               const DiscFrame& frame = DiscFrame::disc());

} // namespace PageExport
