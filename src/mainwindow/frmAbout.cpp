#include "mainwindow/frmAbout.h"

#include "mainwindow/AppIcon.h"
#include "Version.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace {
// Control positions are given in twips at 15 twips per pixel.
QRect twips(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

// The labels keep the box's fixed geometry; a text wider than its label (the desktop's font is
// wider than the box was drawn for) is set smaller instead of being cut, both texts alike.
void fitTexts(std::initializer_list<QLabel*> labels) {
    constexpr qreal SmallestPoints = 5;
    QFont font = (*labels.begin())->font();
    const auto fits = [&font](const QLabel* label) {
        return QFontMetricsF(font).horizontalAdvance(label->text()) <= label->width();
    };
    while (!std::all_of(labels.begin(), labels.end(), fits) && font.pointSizeF() > SmallestPoints)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    for (QLabel* label : labels)
        label->setFont(font);
}
} // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setFixedSize(4680 / 15, 1785 / 15);

    auto* label1 = new QLabel(QStringLiteral("Gyroplatecomposer v") + QLatin1String(GpcVersion), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setGeometry(twips(1200, 360, 1935, 255));
    auto* label2 = new QLabel(QStringLiteral("Gyroplatecomposer 開発チーム"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setGeometry(twips(1800, 720, 2535, 255));
    fitTexts({label1, label2});
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOk"));
    ok->setGeometry(twips(3240, 1200, 1215, 375));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &frmAbout::cmdOk_Click);
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("picIcon"));
    icon->setPixmap(AppIcon::icon().pixmap(32, 32));
    icon->setGeometry(twips(360, 360, 480, 480));

    fitToText({label1, label2}, ok);

    setTabOrder(ok, icon);
    ok->setFocus();
}

// The texts decide the width where the fonts make them wider than designed (the second line
// always does with the usual Japanese fonts); the OK button keeps its place at the right edge.
void frmAbout::fitToText(const QList<QLabel*>& labels, QPushButton* ok) {
    const int margin = width() - ok->geometry().right() - 1;
    int right = 0;
    for (QLabel* label : labels) {
        const QSize hint = label->sizeHint();
        label->resize(std::max(label->width(), hint.width()),
                      std::max(label->height(), hint.height()));
        right = std::max(right, label->geometry().right() + 1);
    }
    const int wanted = right + margin;
    if (wanted <= width())
        return;
    ok->move(ok->x() + wanted - width(), ok->y());
    setFixedSize(wanted, height());
}

void frmAbout::cmdOk_Click() { hide(); }

// The close box unloads the box; the next showing creates it anew.
void frmAbout::closeEvent(QCloseEvent* event) {
    event->accept();
    deleteLater();
}
