#include "mainwindow/ToolbarImages.h"

#include <QBitmap>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ToolbarImages {

namespace {
const QColor MaskColor(192, 192, 192);

void drawPage(QPainter& p) {
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({{3, 1}, {10, 1}, {13, 4}, {13, 14}, {3, 14}}));
    p.drawPolyline(QPolygon({{10, 1}, {10, 4}, {13, 4}}));
}

void drawFolder(QPainter& p) {
    p.setPen(Qt::black);
    p.setBrush(QColor(255, 255, 0));
    p.drawPolygon(QPolygon({{1, 3}, {5, 3}, {6, 4}, {12, 4}, {12, 13}, {1, 13}}));
    p.setBrush(QColor(128, 128, 0));
    p.drawPolygon(QPolygon({{3, 7}, {15, 7}, {12, 13}, {1, 13}}));
}

void drawDisk(QPainter& p) {
    p.setPen(Qt::black);
    p.setBrush(QColor(0, 0, 128));
    p.drawRect(1, 1, 13, 13);
    p.setBrush(Qt::white);
    p.drawRect(4, 1, 7, 5);
    p.setBrush(QColor(128, 128, 128));
    p.drawRect(4, 9, 7, 5);
}

void drawPrinter(QPainter& p) {
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(4, 1, 7, 5);
    p.setBrush(QColor(128, 128, 128));
    p.drawRect(1, 6, 13, 6);
    p.setBrush(Qt::white);
    p.drawRect(4, 10, 7, 4);
    p.setPen(QColor(0, 255, 0));
    p.drawPoint(12, 8);
}

void drawLetter(QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(1, 13, 5, 2);
    p.drawLine(5, 2, 9, 13);
    p.drawLine(3, 9, 7, 9);
}

void drawPlus(QPainter& p) {
    p.setPen(QPen(QColor(0, 128, 0), 2));
    p.drawLine(12, 4, 12, 10);
    p.drawLine(9, 7, 15, 7);
}

void drawPencil(QPainter& p) {
    p.setPen(Qt::black);
    p.setBrush(QColor(255, 255, 0));
    p.drawPolygon(QPolygon({{9, 12}, {14, 3}, {15, 5}, {10, 13}}));
    p.setPen(QColor(128, 0, 0));
    p.drawPoint(9, 13);
}

void drawCross(QPainter& p) {
    p.setPen(QPen(QColor(255, 0, 0), 2));
    p.drawLine(10, 5, 15, 11);
    p.drawLine(15, 5, 10, 11);
}

// A picture (sky and hill) inside four corner marks: the whole picture fitted to the label.
void drawFit(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 128, 255));
    p.drawRect(3, 3, 10, 9);
    p.setBrush(QColor(0, 128, 0));
    p.drawPolygon(QPolygon({{3, 12}, {7, 7}, {10, 10}, {13, 8}, {13, 12}}));
    p.setPen(Qt::black);
    p.drawPolyline(QPolygon({{0, 3}, {0, 0}, {3, 0}}));
    p.drawPolyline(QPolygon({{12, 0}, {15, 0}, {15, 3}}));
    p.drawPolyline(QPolygon({{0, 11}, {0, 14}, {3, 14}}));
    p.drawPolyline(QPolygon({{12, 14}, {15, 14}, {15, 11}}));
}

// Three lines of a list beside a note: a track list.
void drawTrackList(QPainter& p) {
    p.setPen(Qt::black);
    for (int y : {3, 7, 11})
        p.drawLine(1, y, 7, y);
    p.setBrush(QColor(0, 0, 128));
    p.setPen(QColor(0, 0, 128));
    p.drawEllipse(9, 10, 3, 3);
    p.drawLine(12, 11, 12, 2);
    p.drawLine(12, 2, 15, 4);
}

QImage drawImage(int number) {
    QImage image(Width, Height, QImage::Format_RGB32);
    image.fill(MaskColor);
    QPainter p(&image);
    switch (number) {
    case 1: drawPage(p); break;
    case 2: drawFolder(p); break;
    case 3: drawDisk(p); break;
    case 4: drawPrinter(p); break;
    case 5: drawLetter(p); drawPlus(p); break;
    case 6: drawLetter(p); drawPencil(p); break;
    case 7: drawLetter(p); drawCross(p); break;
    case 8: drawFit(p); break;
    case 9: drawTrackList(p); break;
    default: break;
    }
    return image;
}
} // namespace

QIcon image(int number) {
    const QImage image = drawImage(number);
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setMask(QBitmap::fromImage(image.createMaskFromColor(MaskColor.rgb(), Qt::MaskInColor)));
    return QIcon(pixmap);
}

} // namespace ToolbarImages
