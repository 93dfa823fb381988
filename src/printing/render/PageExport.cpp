#include "printing/render/PageExport.h"

#include "printing/render/PrintRenderer.h"
#include "view/LabelRenderer.h"

#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <cmath>

namespace PageExport {

namespace {
constexpr int PdfResolution = 1200;
constexpr double MmPerInch = 25.4;

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
    return true;
}

bool openTarget(QSaveFile& file, QString* reason) {
    if (file.open(QIODevice::WriteOnly))
        return true;
    setReason(reason,
              QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString()));
    return false;
}

bool commit(QSaveFile& file, QString* reason) {
    if (file.commit())
        return true;
    setReason(reason,
              QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString()));
    return false;
}

bool saveImage(const QString& path, const QImage& image, QString* reason) {
    QSaveFile file(path);
    if (!openTarget(file, reason))
        return false;
    if (!image.save(&file, "PNG")) {
        file.cancelWriting();
        setReason(reason, QStringLiteral("cannot encode the PNG image"));
        return false;
    }
    return commit(file, reason);
}
} // namespace

namespace {

// A PDF of pageCount pages, drawPage(painter, geometry, i) filling page i.
bool writePdfWith(
    const QString& path, const Page& page, int pageCount,
    const std::function<void(QPainter&, const LabelRenderer::Geometry&, int)>& drawPage,
    QString* reason) {
    if (!validPage(page, reason))
        return false;
    QSaveFile file(path);
    if (!openTarget(file, reason))
        return false;
    {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("Gyroplatecomposer"));
        writer.setResolution(PdfResolution);
        // A custom size keeps the given width and height even where they match a standard
        // size turned sideways.
        writer.setPageLayout(QPageLayout(
            QPageSize(page.sizeMm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
            QPageLayout::Portrait, QMarginsF()));
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            setReason(reason, QStringLiteral("cannot start the PDF page"));
            return false;
        }
        const LabelRenderer::Geometry geometry =
            PrintRenderer::pageGeometry(writer, page.leftMm, page.topMm);
        for (int i = 0; i < pageCount; ++i) {
            if (i > 0 && !writer.newPage()) {
                painter.end();
                file.cancelWriting();
                setReason(reason, QStringLiteral("cannot start PDF page %1").arg(i + 1));
                return false;
            }
            drawPage(painter, geometry, i);
        }
        painter.end();
    }
    return commit(file, reason);
}

} // namespace

bool writePdf(const QString& path, const LabelDocument& document, const Picture& picture,
              const Page& page, QString* reason) {
    return writePdfWith(
        path, page, 1,
        [&](QPainter& painter, const LabelRenderer::Geometry& geometry, int) {
            PrintRenderer::drawLabel(painter, geometry, document, picture);
        },
        reason);
}

bool writePdfPages(const QString& path, int pageCount,
                   const std::function<LabelDocument(int)>& labelAt, const Picture& picture,
                   const Page& page, QString* reason) {
    return writePdfWith(
        path, page, pageCount,
        [&](QPainter& painter, const LabelRenderer::Geometry& geometry, int index) {
            PrintRenderer::drawLabel(painter, geometry, labelAt(index), picture,
                                     PrintRenderer::PictureUse::WholePicture);
        },
        reason);
}

bool writePng(const QString& path, const LabelDocument& document, const Picture& picture,
              const Page& page, int dpi, QString* reason) {
    if (!validPage(page, reason))
        return false;
    if (dpi < MinDpi || dpi > MaxDpi) {
        setReason(reason, QStringLiteral("the resolution must lie between %1 and %2 dpi")
                              .arg(MinDpi)
                              .arg(MaxDpi));
        return false;
    }
    const int width = int(std::lround(page.sizeMm.width() * dpi / MmPerInch));
    const int height = int(std::lround(page.sizeMm.height() * dpi / MmPerInch));
    if (qint64(width) * height > MaxPixels) {
        setReason(reason, QStringLiteral("the page would take %1 × %2 pixels, more than %3")
                              .arg(width)
                              .arg(height)
                              .arg(MaxPixels));
        return false;
    }
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) {
        setReason(reason, QStringLiteral("not enough memory for the page image"));
        return false;
    }
    const int dotsPerMeter = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        PrintRenderer::drawLabel(painter,
                                 PrintRenderer::pageGeometry(image, page.leftMm, page.topMm),
                                 document, picture);
    }
    return saveImage(path, image, reason);
}

bool writeView(const QString& path, const LabelDocument& document, const Picture& picture,
               int sidePx, QString* reason, QString* notice) {
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
        QPainter painter(&image);
        if (LabelRenderer::drawView(painter, sidePx, document, picture, Qt::white) ==
            LabelRenderer::ViewResult::BackgroundRefused) {
            LabelDocument moved = document;
            moved.BackLeft = 0;
            moved.BackTop = 0;
            LabelRenderer::drawView(painter, sidePx, moved, picture, Qt::white);
            if (notice)
                *notice = QStringLiteral("the shown part lay outside the background picture; "
                                         "drawn from the picture's top-left corner, as the "
                                         "editor would");
        }
    }
    return saveImage(path, image, reason);
}

} // namespace PageExport
