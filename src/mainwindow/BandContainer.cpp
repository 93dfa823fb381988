#include "mainwindow/BandContainer.h"

#include <QLabel>
#include <QPainter>
#include <QStyleOption>
#include <algorithm>

namespace {
constexpr int BandHeightPx = 26;
constexpr int GripWidthPx = 6;
constexpr int CaptionGapPx = 6;
} // namespace

BandContainer::BandContainer(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("cbrMenu"));
    setAutoFillBackground(true);
}

void BandContainer::addBand(const QString& caption, QWidget* content, int minimumWidthPx,
                            int startWidthPx) {
    auto* label = new QLabel(caption, this);
    content->setParent(this);
    bands_.append(Band{label, content, minimumWidthPx, startWidthPx});
}

int BandContainer::arrange(int width) {
    int x = 0, row = 0;
    for (const Band& band : bands_) {
        const int captionWidth = band.caption->sizeHint().width();
        const int fullWidth = GripWidthPx + captionWidth + CaptionGapPx + band.startWidthPx;
        const int narrowWidth = GripWidthPx + captionWidth + CaptionGapPx + band.minimumWidthPx;
        // A band that cannot keep even its minimum width on this row starts a new one.
        if (x > 0 && x + narrowWidth > width) {
            x = 0;
            ++row;
        }
        const int bandWidth = std::max(narrowWidth, std::min(fullWidth, width - x));
        const int top = row * BandHeightPx;
        band.caption->setGeometry(x + GripWidthPx, top, captionWidth, BandHeightPx);
        const int contentLeft = x + GripWidthPx + captionWidth + CaptionGapPx;
        const int contentHeight = std::min(BandHeightPx - 2, band.content->sizeHint().height());
        band.content->setGeometry(contentLeft, top + (BandHeightPx - contentHeight) / 2,
                                  std::max(0, x + bandWidth - contentLeft - 4), contentHeight);
        x += bandWidth;
    }
    rowCount_ = row + 1;
    const int height = rowCount_ * BandHeightPx;
    const int oldHeight = this->height();
    resize(width, height);
    if (height != oldHeight)
        emit heightChanged(height);
    return height;
}

void BandContainer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // A thin grip at the start of each band, as band containers show.
    painter.setPen(palette().color(QPalette::Mid));
    for (const Band& band : bands_) {
        const int x = band.caption->x() - GripWidthPx + 2;
        const int y = band.caption->y();
        painter.drawLine(x, y + 4, x, y + BandHeightPx - 4);
        painter.drawLine(x + 2, y + 4, x + 2, y + BandHeightPx - 4);
    }
}
