#include "printing/frmMergePreview.h"

#include "printing/render/SheetPage.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

frmMergePreview::frmMergePreview(int rowCount, const SheetLayout& layout, QPrinter& printer,
                                 std::function<void(QPrinter&, int)> paintFirst, QWidget* parent)
    : QDialog(parent), rowCount_(rowCount), layout_(layout) {
    setObjectName(QStringLiteral("frmMergePreview"));
    setWindowTitle(QStringLiteral("差し込み印刷"));

    lblCount_ = new QLabel(this);
    lblCount_->setObjectName(QStringLiteral("lblCount"));
    preview_ = new QPrintPreviewWidget(&printer, this);
    preview_->setObjectName(QStringLiteral("ppvFirst"));
    preview_->setMinimumSize(420, 520);
    connect(preview_, &QPrintPreviewWidget::paintRequested, this,
            [this, paintFirst](QPrinter* printer) { paintFirst(*printer, start()); });

    auto* layoutBox = new QVBoxLayout(this);
    layoutBox->addWidget(lblCount_);
    if (layout.positionCount() > 1) {
        cmbStart_ = new QComboBox(this);
        cmbStart_->setObjectName(QStringLiteral("cmbStart"));
        for (int i = 0; i < layout.positionCount(); ++i)
            cmbStart_->addItem(QStringLiteral("ラベル %1").arg(i + 1));
        auto* caption = new QLabel(QStringLiteral("1 枚目の最初のラベル(&S):"), this);
        caption->setBuddy(cmbStart_);
        auto* row = new QHBoxLayout;
        row->addWidget(caption);
        row->addWidget(cmbStart_);
        row->addStretch();
        layoutBox->addLayout(row);
        connect(cmbStart_, &QComboBox::currentIndexChanged, this, [this] {
            showCount();
            preview_->updatePreview();
        });
    }

    auto* print = new QPushButton(QStringLiteral("印刷(&P)..."), this);
    print->setObjectName(QStringLiteral("cmdPrint"));
    print->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(print, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(print);
    buttons->addWidget(cancel);
    layoutBox->addWidget(preview_, 1);
    layoutBox->addLayout(buttons);
    showCount();
}

int frmMergePreview::start() const {
    return cmbStart_ ? cmbStart_->currentIndex() : 0;
}

void frmMergePreview::showCount() {
    if (!cmbStart_) {
        lblCount_->setText(
            QStringLiteral("表には %1 件のデータがあります。1 件目を差し込んだ印刷イメージです。")
                .arg(rowCount_));
        return;
    }
    const auto pages = SheetPage::fill(SheetPage::allPositions(layout_), start(), rowCount_).size();
    lblCount_->setText(QStringLiteral("表には %1 件のデータがあります。用紙 %2 枚に印刷します。"
                                      "1 枚目の印刷イメージです。")
                           .arg(rowCount_)
                           .arg(pages));
}

// The preview widget paints on the printer until it is gone, and the printer goes on to print.
frmMergePreview::~frmMergePreview() {
    delete preview_;
}
