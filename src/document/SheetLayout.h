#pragma once

#include "document/DiscFrame.h"

#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <vector>

// What labels are printed on: where on the page each label lies and its circles. A sheet of round
// stickers has a page of its own and one label at each of its published centres; the disc in a
// printer's tray is one more layout, with one label on whatever page the printer has.
//
// Each label's 122 mm square is centred on its label's centre: the design's (61, 61) goes on the
// centre, and the printer's offset moves every label of the page alike.
struct SheetLayout {
    // The tray's name in the settings and on the command line.
    static inline const QString DiscTrayName = QStringLiteral("disc");
    // A sheet holds no more labels than this.
    static constexpr int MaxLabels = 12;

    QString name;
    QStringList aliases; // the same layout sold under other numbers
    QSizeF pageMm;       // the sheet's paper; empty for the tray
    double outerDiameterMm = 0;
    double holeDiameterMm = 0;
    std::vector<QPointF> centresMm; // from the page's top-left corner, in position order
    QString file;                   // the user's file it came from; empty when built in

    // The disc in a printer's tray: one label whose square starts at the offset, measured from
    // the printable area's top-left corner.
    static SheetLayout discTray();

    bool isDiscTray() const { return pageMm.isEmpty(); }
    int positionCount() const { return int(centresMm.size()); }
    // The circles of each label: the disc's, or the sticker's outer edge and hole.
    DiscFrame frame() const;

    // The top-left corner of the label square at `position` (0-based), moved by `offsetMm`; in
    // millimetres from the page's top-left corner (the tray: from the printable area's).
    QPointF labelOriginMm(int position, QPointF offsetMm) const {
        return centresMm[std::size_t(position)] - DiscFrame::CentreMm + offsetMm;
    }

    // Whether `text` names this layout or one of its aliases, without regard to case.
    bool isNamed(const QString& text) const;

    bool operator==(const SheetLayout&) const = default;
};
