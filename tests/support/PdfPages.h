#pragma once

#include <QImage>
#include <QString>

// Pages of a PDF read back through poppler's tools, as a reader of the printed file would see them.
namespace PdfPages {

// Page `page` (from 1) at `dpi`; a null image with the reason in `error` when that failed.
QImage rasterise(const QString& pdf, int page, int dpi, QString* error = nullptr);

// How many pages the file has; -1 when pdfinfo cannot read it.
int count(const QString& pdf);

} // namespace PdfPages
