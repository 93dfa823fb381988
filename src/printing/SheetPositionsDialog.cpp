#include "printing/SheetPositionsDialog.h"

#include "printing/PrintMedium.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
// The drawing of the sheet: its taller side in pixels at 96 dpi.
constexpr int DrawingHeightPx = 220;
} // namespace

SheetPositionsDialog::SheetPositionsDialog(const SheetLayout& layout,
                                           const std::vector<int>& ticked, QWidget* parent)
    : QDialog(parent), layout_(layout) {
    setObjectName(QStringLiteral("SheetPositionsDialog"));
    setWindowTitle(QStringLiteral("印刷するラベル"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);

    auto* intro = new QLabel(
        QStringLiteral("%1 のどのラベルに印刷しますか？").arg(PrintMedium::caption(layout)), this);
    intro->setObjectName(QStringLiteral("lblIntro"));
    picSheet_ = new QLabel(this);
    picSheet_->setObjectName(QStringLiteral("picSheet"));

    auto* list = new QVBoxLayout;
    for (int i = 0; i < layout.positionCount(); ++i) {
        auto* box = new QCheckBox(QStringLiteral("ラベル %1").arg(i + 1), this);
        box->setObjectName(QStringLiteral("chkPosition_%1").arg(i + 1));
        box->setChecked(std::find(ticked.begin(), ticked.end(), i) != ticked.end());
        connect(box, &QCheckBox::toggled, this, &SheetPositionsDialog::showTicked);
        list->addWidget(box);
        boxes_.push_back(box);
    }
    list->addStretch();

    auto* buttons = new QDialogButtonBox(this);
    cmdOk_ = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    cmdOk_->setObjectName(QStringLiteral("cmdOk"));
    cmdOk_->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdOk_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* body = new QHBoxLayout;
    body->addWidget(picSheet_);
    body->addLayout(list);
    auto* layoutBox = new QVBoxLayout(this);
    layoutBox->addWidget(intro);
    layoutBox->addLayout(body);
    layoutBox->addWidget(buttons);
    layoutBox->setSizeConstraint(QLayout::SetFixedSize);
    showTicked();
}

std::vector<int> SheetPositionsDialog::positions() const {
    std::vector<int> ticked;
    for (std::size_t i = 0; i < boxes_.size(); ++i)
        if (boxes_[i]->isChecked())
            ticked.push_back(int(i));
    return ticked;
}

// The sheet as it lies in the printer: ticked labels grey, each numbered as its box is.
void SheetPositionsDialog::showTicked() {
    const QSizeF pageMm = layout_.pageMm;
    const double pxPerMm = DrawingHeightPx / std::max(pageMm.width(), pageMm.height());
    const qreal ratio = devicePixelRatioF();
    QPixmap drawing(QSize(int(pageMm.width() * pxPerMm) + 1, int(pageMm.height() * pxPerMm) + 1) *
                    ratio);
    drawing.setDevicePixelRatio(ratio);
    drawing.fill(Qt::white);
    QPainter painter(&drawing);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 0));
    painter.drawRect(QRectF(0, 0, pageMm.width() * pxPerMm, pageMm.height() * pxPerMm));
    const double outer = layout_.outerDiameterMm / 2 * pxPerMm;
    const double hole = layout_.holeDiameterMm / 2 * pxPerMm;
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    for (int i = 0; i < layout_.positionCount(); ++i) {
        const QPointF centre = layout_.centresMm[std::size_t(i)] * pxPerMm;
        QPainterPath ring;
        ring.addEllipse(centre, outer, outer);
        ring.addEllipse(centre, hole, hole);
        painter.setBrush(boxes_[std::size_t(i)]->isChecked() ? QColor(160, 160, 160) : Qt::white);
        painter.drawPath(ring);
        const QRectF numberBox(centre.x() - outer, centre.y() + hole, 2 * outer, outer - hole);
        painter.drawText(numberBox, Qt::AlignCenter, QString::number(i + 1));
    }
    painter.end();
    picSheet_->setPixmap(drawing);
    cmdOk_->setEnabled(!positions().empty());
}
