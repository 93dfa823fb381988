#include "printing/render/PageExport.h"

#include "document/AtomicReplace.h"
#include "printing/render/AlignmentSheet.h"
#include "printing/render/PrintRenderer.h"
#include "view/LabelRenderer.h"
#include "view/ScreenView.h"

#include <QBuffer>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <cmath>
#include <functional>
#include <optional>

namespace PageExport {

namespace {
constexpr int PdfResolution = 1200;

void setReason(QString* reason, const QString& text) {
    if (reason)
        *reason = text;
}

bool validPage(const Page& page, QString* reason) {
    const auto inRange = [](double side) { return side >= MinPageSideMm && side <= MaxPageSideMm; };
    if (!inRange(page.sizeMm.width()) || !inRange(page.sizeMm.height())) {
        setReason(reason, QStringLiteral("page sides must lie between %1 and %2 mm")
                              .arg(MinPageSideMm)
                              .arg(MaxPageSideMm));
        return false;
    }
    if (!std::isfinite(page.leftMm) || !std::isfinite(page.topMm) ||
        std::abs(page.leftMm) > MaxPageSideMm || std::abs(page.topMm) > MaxPageSideMm) {
        setReason(reason, QStringLiteral("the offset must lie within ±%1 mm").arg(MaxPageSideMm));
        return false;
    }
    if (!SheetPage::scaleAllowed(page.scaleX * 100) ||
        !SheetPage::scaleAllowed(page.scaleY * 100)) {
        setReason(reason, QStringLiteral("the scale must lie between %1 and %2 %")
                              .arg(SheetPage::MinScalePercent)
                              .arg(SheetPage::MaxScalePercent));
        return false;
    }
    return true;
}

// The file is written as documents are: complete, or not at all.
bool writeFile(const QString& path, const QByteArray& bytes, QString* reason) {
    const AtomicReplace::Result result = AtomicReplace::replace(path, bytes);
    if (!result.ok)
        setReason(reason, QStringLiteral("cannot write %1: %2").arg(path, result.reason));
    return result.ok;
}

bool saveImage(const QString& path, const QImage& image, QString* reason) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        setReason(reason, QStringLiteral("cannot encode the PNG image"));
        return false;
    }
    return writeFile(path, bytes, reason);
}
} // namespace

namespace {

// Draws the page content given where the page's top-left corner lies on the painter's device.
using PageContent = std::function<void(QPainter&, const Geometry&)>;

// Page i of pageCount drawn by content(painter, geometry, i).
using PagesContent = std::function<void(QPainter&, const Geometry&, int)>;

bool pdfPagesWith(const QString& path, const Page& page, int pageCount, const PagesContent& content,
                  QString* reason) {
    if (!validPage(page, reason))
        return false;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Gyroplatecomposer"));
        writer.setResolution(PdfResolution);
        // A custom size keeps the given width and height even where they match a standard
        // size turned sideways.
        writer.setPageLayout(QPageLayout(
            QPageSize(page.sizeMm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
            QPageLayout::Portrait, QMarginsF()));
        QPainter painter;
        if (!painter.begin(&writer)) {
            setReason(reason, QStringLiteral("cannot start the PDF page"));
            return false;
        }
        const Geometry geometry = Geometry::page(writer, 0, 0);
        for (int i = 0; i < pageCount; ++i) {
            if (i > 0 && !writer.newPage()) {
                setReason(reason, QStringLiteral("cannot start PDF page %1").arg(i + 1));
                return false;
            }
            content(painter, geometry, i);
        }
        painter.end();
    }
    return writeFile(path, bytes, reason);
}

bool pdfWith(const QString& path, const Page& page, const PageContent& content, QString* reason) {
    return pdfPagesWith(
        path, page, 1,
        [&](QPainter& painter, const Geometry& geometry, int) { content(painter, geometry); },
        reason);
}

// A transparent page leaves everything the content does not draw see-through.
bool pngWith(const QString& path, const Page& page, int dpi, bool transparent,
             const PageContent& content, QString* reason) {
    if (!validPage(page, reason))
        return false;
    if (dpi < MinDpi || dpi > MaxDpi) {
        setReason(reason, QStringLiteral("the resolution must lie between %1 and %2 dpi")
                              .arg(MinDpi)
                              .arg(MaxDpi));
        return false;
    }
    const int width = int(std::lround(page.sizeMm.width() * dpi / Units::MmPerInch));
    const int height = int(std::lround(page.sizeMm.height() * dpi / Units::MmPerInch));
    if (qint64(width) * height > MaxPixels) {
        setReason(reason, QStringLiteral("the page would take %1 × %2 pixels, more than %3")
                              .arg(width)
                              .arg(height)
                              .arg(MaxPixels));
        return false;
    }
    QImage image(width, height,
                 transparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull()) {
        setReason(reason, QStringLiteral("not enough memory for the page image"));
        return false;
    }
    const int dotsPerMeter = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(transparent ? Qt::transparent : Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        content(painter, Geometry::page(image, 0, 0));
    }
    return saveImage(path, image, reason);
}

PageContent labelContent(const LabelDocument& document, const Picture& picture, const Page& page) {
    return [&document, &picture, &page](QPainter& painter, const Geometry& geometry) {
        SheetPage::drawLabels(painter, geometry, page.placement(), page.chosenPositions(), document,
                              picture);
    };
}

PageContent alignmentContent(const Page& page) {
    return [&page](QPainter& painter, const Geometry& geometry) {
        AlignmentSheet::drawPage(painter, geometry, page.placement(), page.chosenPositions());
    };
}

const Page labelPage{LabelPageMm, 0, 0};

} // namespace

bool writePdf(const QString& path, const LabelDocument& document, const Picture& picture,
              const Page& page, QString* reason) {
    return pdfWith(path, page, labelContent(document, picture, page), reason);
}

bool writePdfPages(const QString& path, int labelCount,
                   const std::function<LabelDocument(int)>& labelAt, const Picture& picture,
                   const Page& page, QString* reason, int start) {
    const std::vector<std::vector<SheetPage::Slot>> pages =
        SheetPage::fill(page.chosenPositions(), start, labelCount);
    const DiscFrame frame = page.layout.frame();
    // Every label of the run draws the part the design shows from the same pixels, decoded once.
    PrintRenderer::SharedBackground background(picture);
    return pdfPagesWith(
        path, page, int(pages.size()),
        [&](QPainter& painter, const Geometry& geometry, int index) {
            for (const SheetPage::Slot& slot : pages[std::size_t(index)])
                SheetPage::draw(painter, geometry, page.placement(), {slot.position},
                                [&](QPainter& on, const Geometry& label, int) {
                                    PrintRenderer::drawLabel(on, label, labelAt(slot.label),
                                                             background, frame);
                                });
        },
        reason);
}

bool writePng(const QString& path, const LabelDocument& document, const Picture& picture,
              const Page& page, int dpi, QString* reason) {
    return pngWith(path, page, dpi, false, labelContent(document, picture, page), reason);
}

bool writeAlignmentPdf(const QString& path, const Page& page, QString* reason) {
    return pdfWith(path, page, alignmentContent(page), reason);
}

bool writeAlignmentPng(const QString& path, const Page& page, int dpi, QString* reason) {
    return pngWith(path, page, dpi, false, alignmentContent(page), reason);
}

bool writeLabelPdf(const QString& path, const LabelDocument& document, const Picture& picture,
                   QString* reason) {
    return pdfWith(path, labelPage, labelContent(document, picture, labelPage), reason);
}

bool writeLabelPng(const QString& path, const LabelDocument& document, const Picture& picture,
                   int dpi, QString* reason) {
    return pngWith(path, labelPage, dpi, true, labelContent(document, picture, labelPage), reason);
}

bool writeView(const QString& path, const LabelDocument& document, const Picture& picture,
               int sidePx, QString* reason, QString* notice, const DiscFrame& frame) {
    if (sidePx < MinViewPx || sidePx > MaxViewPx) {
        setReason(reason, QStringLiteral("the view size must lie between %1 and %2 pixels")
                              .arg(MinViewPx)
                              .arg(MaxViewPx));
        return false;
    }
    QImage image(sidePx, sidePx, QImage::Format_RGB32);
    if (image.isNull()) {
        setReason(reason, QStringLiteral("not enough memory for the view image"));
        return false;
    }
    {
        // A placement the editor would refuse is drawn from the picture's top-left corner, as
        // the editor then shows it.
        LabelDocument shown = document;
        if (!picture.isEmpty() && shown.putBackgroundOnPicture(picture.naturalSizeMm()) && notice)
            *notice = QStringLiteral("the shown part lay outside the background picture; "
                                     "drawn from the picture's top-left corner, as the "
                                     "editor would");
        // The editor's own drawing, with its decoding of the shown part only.
        ViewCaches caches;
        caches.picture.showOnce();
        QPainter painter(&image);
        ScreenView::draw(painter, sidePx, shown, picture, Qt::white, caches, frame);
    }
    return saveImage(path, image, reason);
}

} // namespace PageExport
