#pragma once

#include <QList>
#include <QWidget>

class QLabel;

// cbrMenu: a row of captioned bands along the top of the window. Bands that do not fit the width
// wrap onto further rows; every change of the container's height is announced.
class BandContainer : public QWidget {
    Q_OBJECT
public:
    explicit BandContainer(QWidget* parent);

    void addBand(const QString& caption, QWidget* content, int minimumWidthPx, int startWidthPx);

    // Lays the bands out for the given width and returns the height this takes.
    int arrange(int width);
    int rowCount() const { return rowCount_; }

signals:
    void heightChanged(int heightPx);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Band {
        QLabel* caption;
        QWidget* content;
        int minimumWidthPx;
        int startWidthPx;
    };
    QList<Band> bands_;
    int rowCount_ = 1;
};
