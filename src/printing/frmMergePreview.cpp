#include "printing/frmMergePreview.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

frmMergePreview::frmMergePreview(int rowCount, QPrinter& printer,
                                 std::function<void(QPrinter&)> paintFirst, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmMergePreview"));
    setWindowTitle(QStringLiteral("差し込み印刷"));

    auto* count = new QLabel(
        QStringLiteral("表には %1 件のデータがあります。1 件目を差し込んだ印刷イメージです。")
            .arg(rowCount),
        this);
    count->setObjectName(QStringLiteral("lblCount"));
    preview_ = new QPrintPreviewWidget(&printer, this);
    preview_->setObjectName(QStringLiteral("ppvFirst"));
    preview_->setMinimumSize(420, 520);
    connect(preview_, &QPrintPreviewWidget::paintRequested, this,
            [paintFirst](QPrinter* printer) { paintFirst(*printer); });

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
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(count);
    layout->addWidget(preview_, 1);
    layout->addLayout(buttons);
}

// The preview widget paints on the printer until it is gone, and the printer goes on to print.
frmMergePreview::~frmMergePreview() {
    delete preview_;
}
