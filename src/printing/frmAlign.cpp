#include "printing/frmAlign.h"

#include "platform/Platform.h"
#include "printing/render/AlignmentSheet.h"
#include "printing/render/OffsetNumber.h"
#include "printing/render/ScaleReading.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace {

const QString Title = QStringLiteral("位置合わせ");
const QString ReadingNames[frmAlign::ReadingCount] = {QStringLiteral("左"), QStringLiteral("右"),
                                                      QStringLiteral("上"), QStringLiteral("下")};

// Readings come to half a millimetre at best; rounding the sum keeps binary fractions such as
// 1.1 + 0.2 from being stored as 1.3000000000000003. A percentage is rounded alike.
double roundedMm(double value) {
    return std::round(value * 1000) / 1000;
}

// The input method stays on: its full-width digits and signs read as the plain ones.
QLineEdit* readingBox(QWidget* parent, const char* name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setInputMethodHints(Qt::ImhPreferNumbers | Qt::ImhNoPredictiveText);
    return box;
}

} // namespace

frmAlign::frmAlign(Platform& platform, const PrinterProfile& profile, const SheetLayout& layout,
                   QWidget* parent)
    : QDialog(parent), platform_(platform), profile_(profile), stored_(profile.offsetTexts()),
      diameterMm_(2 * layout.frame().edgeRadiusMm) {
    setObjectName(QStringLiteral("frmAlign"));
    setWindowTitle(Title);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);

    auto* rows = new QVBoxLayout(this);
    auto* intro = new QLabel(
        layout.isDiscTray() ? QStringLiteral("ディスクの縁が目盛りと交わる値を入力してください。")
                            : QStringLiteral("シールの縁が目盛りと交わる値を入力してください。"),
        this);
    rows->addWidget(intro);

    auto* grid = new QGridLayout;
    const char* names[ReadingCount] = {"txtReadLeft", "txtReadRight", "txtReadTop",
                                       "txtReadBottom"};
    for (int i = 0; i < ReadingCount; ++i) {
        readings_[i] = readingBox(this, names[i]);
        const int row = i / 2, column = (i % 2) * 3;
        grid->addWidget(new QLabel(ReadingNames[i], this), row, column);
        grid->addWidget(readings_[i], row, column + 1);
        grid->addWidget(new QLabel(QStringLiteral("mm"), this), row, column + 2);
        connect(readings_[i], &QLineEdit::textChanged, this, &frmAlign::showNewOffset);
    }
    rows->addLayout(grid);

    lblNewOffset_ = new QLabel(this);
    lblNewOffset_->setObjectName(QStringLiteral("lblNewOffset"));
    rows->addWidget(lblNewOffset_);
    chkScale_ = new QCheckBox(this);
    chkScale_->setObjectName(QStringLiteral("chkScale"));
    rows->addWidget(chkScale_);

    auto* buttons = new QDialogButtonBox(this);
    cmdOk_ = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    cmdOk_->setObjectName(QStringLiteral("cmdOk"));
    cmdOk_->setDefault(true);
    cmdCancel_ = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdOk_, &QPushButton::clicked, this, &frmAlign::cmdOk_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);
    rows->addWidget(buttons);

    showNewOffset();
}

frmAlign::Result frmAlign::correct(const PrinterProfile::OffsetTexts& stored,
                                   const QString (&readings)[ReadingCount], double diameterMm) {
    const QString& storedLeft = stored.left;
    const QString& storedTop = stored.top;
    if (!OffsetNumber::parseStored(storedLeft) || !OffsetNumber::parseStored(storedTop))
        return {std::nullopt, PrinterProfile::unusableOffsetReason()};
    const std::optional<double> scaleX = PrinterProfile::parseScalePercent(stored.scaleX);
    const std::optional<double> scaleY = PrinterProfile::parseScalePercent(stored.scaleY);
    if (!scaleX || !scaleY)
        return {std::nullopt, PrinterProfile::unusableScaleReason()};
    std::optional<double> values[ReadingCount];
    for (int i = 0; i < ReadingCount; ++i) {
        const ScaleReading::Result read = ScaleReading::read(readings[i]);
        if (!read.value)
            return {std::nullopt, QStringLiteral("目盛りの値を数値で入力してください。")};
        if (!read.leftover.isEmpty())
            return {std::nullopt, QStringLiteral("%1の目盛りの値「%2」の「%3」は読めません。"
                                                 "数値だけを入力してください。")
                                      .arg(ReadingNames[i], readings[i].trimmed(), read.leftover)};
        values[i] = read.value;
    }
    // Each pair lies on both sides of the centre: left and top negative, right and bottom
    // positive. Anything else is a misreading (a sign left out, a pair swapped).
    if (!(*values[Left] < 0 && *values[Right] > 0 && *values[Top] < 0 && *values[Bottom] > 0))
        return {std::nullopt, QStringLiteral("左と上は負の値、右と下は正の値を入力してください。")};
    const Correction offset{roundedMm(OffsetNumber::leadingNumber(storedLeft) +
                                      AlignmentSheet::correction(*values[Left], *values[Right])),
                            roundedMm(OffsetNumber::leadingNumber(storedTop) +
                                      AlignmentSheet::correction(*values[Top], *values[Bottom]))};
    if (std::abs(offset.leftMm) > OffsetNumber::MaxOffsetMm ||
        std::abs(offset.topMm) > OffsetNumber::MaxOffsetMm)
        return {std::nullopt, QStringLiteral("補正後の印刷位置が %1～%2 mm の範囲を外れます。")
                                  .arg(-OffsetNumber::MaxOffsetMm)
                                  .arg(OffsetNumber::MaxOffsetMm)};
    Result result{offset, QString()};
    const double factorX = (*values[Right] - *values[Left]) / diameterMm;
    const double factorY = (*values[Bottom] - *values[Top]) / diameterMm;
    const ScalePercent scale{roundedMm(*scaleX * factorX), roundedMm(*scaleY * factorY)};
    if (SheetPage::scaleAllowed(scale.x) && SheetPage::scaleAllowed(scale.y)) {
        result.scale = scale;
        result.scaleWorthTaking = std::abs(factorX - 1) > ScaleWorthCorrecting ||
                                  std::abs(factorY - 1) > ScaleWorthCorrecting;
    }
    return result;
}

frmAlign::Result frmAlign::currentResult() const {
    const QString typed[ReadingCount] = {readings_[Left]->text(), readings_[Right]->text(),
                                         readings_[Top]->text(), readings_[Bottom]->text()};
    return correct(stored_, typed, diameterMm_);
}

// The scale is offered only where the readings give one (read at the edge, not the hole), and
// ticked afresh whenever they change.
void frmAlign::showNewOffset() {
    const Result result = currentResult();
    chkScale_->setEnabled(result.offset && result.scale);
    chkScale_->setChecked(result.offset && result.scale && result.scaleWorthTaking);
    if (!result.offset || !result.scale)
        chkScale_->setText(QStringLiteral("倍率も補正する: 横 ― %、縦 ― %"));
    else
        chkScale_->setText(
            QStringLiteral("倍率も補正する: 横 %1 %、縦 %2 %")
                .arg(OffsetNumber::format(result.scale->x), OffsetNumber::format(result.scale->y)));
    if (!result.offset) {
        lblNewOffset_->setText(QStringLiteral("新しい印刷位置: 左端から ― mm、上端から ― mm"));
        return;
    }
    lblNewOffset_->setText(QStringLiteral("新しい印刷位置: 左端から %1 mm、上端から %2 mm")
                               .arg(OffsetNumber::format(result.offset->leftMm),
                                    OffsetNumber::format(result.offset->topMm)));
}

// A refused reading, or a settings store that refuses the new offset, keeps the dialog open with
// what was typed, so that only the wrong box needs retyping. The correction always starts from
// the offset the sheet was printed at, so OK again after a failed store moves it only once.
void frmAlign::cmdOk_Click() {
    const Result result = currentResult();
    if (!result.offset) {
        platform_.showMessage(this, result.problem, Title, MessageButtons::Ok);
        return;
    }
    PrinterProfile::OffsetTexts texts{OffsetNumber::format(result.offset->leftMm),
                                      OffsetNumber::format(result.offset->topMm)};
    if (result.scale && chkScale_->isChecked()) {
        texts.scaleX = OffsetNumber::format(result.scale->x);
        texts.scaleY = OffsetNumber::format(result.scale->y);
    }
    if (profile_.writeOffset(texts, this))
        accept();
}
