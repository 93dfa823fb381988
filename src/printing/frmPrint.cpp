#include "printing/frmPrint.h"

#include "platform/Platform.h"
#include "printing/PrintMedium.h"
#include "printing/render/OffsetNumber.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QValidator>
#include <algorithm>

namespace {
constexpr int MaxTypedLength = 3;
// Room for a percentage to three decimals ("100.125").
constexpr int MaxTypedScaleLength = 7;

// The dialog's proportions at 96 dpi in pixels. They are minimums: a larger font or a higher
// resolution makes every control as large as its text needs, and the layout follows.
constexpr int LabelWidth = 72;
constexpr int BoxWidth = 49;
constexpr int BoxHeight = 22;
constexpr int UnitWidth = 48;
constexpr int ButtonWidth = 81;
constexpr int ButtonHeight = 26;
constexpr int ColumnGap = 4;
constexpr int RowGap = 6;
constexpr int ButtonGap = 12;
constexpr QMargins Margins(16, 14, 17, 14);

QLineEdit* offsetBox(QWidget* parent, const char* name, const QString& widest = "-9999") {
    auto* box = new QLineEdit(QStringLiteral("0"), parent);
    box->setObjectName(QLatin1String(name));
    // Room for a few more characters than can be typed, as a stored text may be longer.
    const int textWidth = box->fontMetrics().horizontalAdvance(widest);
    box->setFixedWidth(std::max(BoxWidth, textWidth + 2 * box->fontMetrics().averageCharWidth()));
    box->setMinimumHeight(BoxHeight);
    // Direct character input only: no input method composes into the box.
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    box->setInputMethodHints(Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
    return box;
}

QLabel* addLabel(QWidget* parent, const QString& name, const QString& text, int minimumWidth) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setMinimumWidth(minimumWidth);
    return label;
}
} // namespace

// Typing never makes a box longer than three characters (seven for a scale). A longer text that
// came from the settings store is shown whole and may still be shortened; a plain maximum length
// would cut it when it is shown and so change the stored value on the next OK.
class OffsetLengthLimit : public QValidator {
public:
    explicit OffsetLengthLimit(QLineEdit* box, qsizetype typed = MaxTypedLength)
        : QValidator(box), box_(box), typed_(typed), ceiling_(typed) {
        box->setValidator(this);
        connect(box, &QLineEdit::textChanged, this, [this](const QString& text) {
            ceiling_ = std::max(typed_, std::min(ceiling_, text.size()));
        });
    }

    // Shows a stored text, however long.
    void showStored(const QString& text) {
        ceiling_ = std::max(typed_, text.size());
        box_->setText(text);
    }

    State validate(QString& input, int&) const override {
        return input.size() <= ceiling_ ? Acceptable : Invalid;
    }

private:
    QLineEdit* box_;
    qsizetype typed_;
    qsizetype ceiling_;
};

frmPrint::frmPrint(Platform& platform, QWidget* parent) : QDialog(parent), platform_(platform) {
    setObjectName(QStringLiteral("frmPrint"));
    setWindowTitle(QStringLiteral("印刷位置設定"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);

    cmbPrinter_ = new QComboBox(this);
    cmbPrinter_->setObjectName(QStringLiteral("cmbPrinter"));
    lblMedium_ = addLabel(this, QStringLiteral("lblMedium"), QString(), 0);
    txtLeft_ = offsetBox(this, "txtLeft");
    txtTop_ = offsetBox(this, "txtTop");
    txtScaleX_ = offsetBox(this, "txtScaleX", QStringLiteral("100.125"));
    txtScaleY_ = offsetBox(this, "txtScaleY", QStringLiteral("100.125"));
    leftLimit_ = new OffsetLengthLimit(txtLeft_);
    topLimit_ = new OffsetLengthLimit(txtTop_);
    scaleXLimit_ = new OffsetLengthLimit(txtScaleX_, MaxTypedScaleLength);
    scaleYLimit_ = new OffsetLengthLimit(txtScaleY_, MaxTypedScaleLength);
    cmdOk_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOk_->setObjectName(QStringLiteral("cmdOk"));
    cmdOk_->setMinimumSize(ButtonWidth, ButtonHeight);
    cmdOk_->setDefault(true);
    layOut();
    connect(cmdOk_, &QPushButton::clicked, this, &frmPrint::cmdOk_Click);
    connect(cmbPrinter_, &QComboBox::currentIndexChanged, this, &frmPrint::cmbPrinter_Click);

    setTabOrder(cmbPrinter_, txtLeft_);
    setTabOrder(txtLeft_, txtTop_);
    setTabOrder(txtTop_, txtScaleX_);
    setTabOrder(txtScaleX_, txtScaleY_);
    setTabOrder(txtScaleY_, cmdOk_);
    Form_Activate(); // Form_Load reads the same way
}

// The offset's two rows of caption, box and unit, the scale's two below them, then the printer
// and the medium they belong to, and OK below on the right; the dialog keeps the size its contents
// need.
void frmPrint::layOut() {
    auto* rows = new QGridLayout;
    rows->setHorizontalSpacing(ColumnGap);
    rows->setVerticalSpacing(RowGap);
    const std::pair<const char*, const char*> captions[] = {
        {"左端から", "mm"}, {"上端から", "mm"}, {"横の倍率", "%"}, {"縦の倍率", "%"}};
    QLineEdit* const boxes[] = {txtLeft_, txtTop_, txtScaleX_, txtScaleY_};
    for (int row = 0; row < 4; ++row) {
        rows->addWidget(addLabel(this, QStringLiteral("lblText_%1").arg(row),
                                 QString::fromUtf8(captions[row].first), LabelWidth),
                        row, 0);
        rows->addWidget(boxes[row], row, 1);
        rows->addWidget(addLabel(this, QStringLiteral("lblUnit_%1").arg(row),
                                 QString::fromUtf8(captions[row].second), UnitWidth),
                        row, 2);
    }
    rows->addWidget(addLabel(this, QStringLiteral("lblPrinterCaption"),
                             QStringLiteral("プリンター"), LabelWidth),
                    4, 0);
    rows->addWidget(cmbPrinter_, 4, 1, 1, 2);
    rows->addWidget(
        addLabel(this, QStringLiteral("lblMediumCaption"), QStringLiteral("用紙"), LabelWidth), 5,
        0);
    rows->addWidget(lblMedium_, 5, 1, 1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Margins);
    layout->setSpacing(0);
    layout->addLayout(rows);
    layout->addSpacing(ButtonGap);
    layout->addWidget(cmdOk_, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

// The printer the next print starts on: the one chosen last while it is there, else the
// default one. Without any printer the tray's setting is the one every printer shares.
void frmPrint::Form_Activate() {
    const QStringList printers = QPrinterInfo::availablePrinterNames();
    QString next = PrinterProfile::lastPrinter(platform_);
    if (!printers.contains(next))
        next = QPrinterInfo::defaultPrinterName();
    {
        const QSignalBlocker quiet(cmbPrinter_);
        cmbPrinter_->clear();
        if (printers.isEmpty())
            cmbPrinter_->addItem(QStringLiteral("（プリンターがありません）"));
        else
            cmbPrinter_->addItems(printers);
        cmbPrinter_->setEnabled(!printers.isEmpty());
        cmbPrinter_->setCurrentIndex(std::max<qsizetype>(0, printers.indexOf(next)));
    }
    shownPrinter_ = printers.isEmpty() ? QString() : cmbPrinter_->currentText();
    const PrintMedium::Chosen medium = PrintMedium::chosen(platform_);
    medium_ = medium.storedName;
    lblMedium_->setText(medium.layout ? PrintMedium::caption(*medium.layout)
                                      : QStringLiteral("%1（見つかりません）").arg(medium_));
    showStored();
}

PrinterProfile frmPrint::profile() const {
    return PrinterProfile(platform_, shownPrinter_, medium_);
}

void frmPrint::showStored() {
    const PrinterProfile::OffsetTexts stored = profile().offsetTexts();
    leftLimit_->showStored(stored.left);
    topLimit_->showStored(stored.top);
    scaleXLimit_->showStored(stored.scaleX);
    scaleYLimit_->showStored(stored.scaleY);
}

void frmPrint::cmbPrinter_Click(int index) {
    if (index < 0 || cmbPrinter_->itemText(index) == shownPrinter_)
        return;
    if (!writeOffsets(true)) {
        const QSignalBlocker quiet(cmbPrinter_);
        cmbPrinter_->setCurrentText(shownPrinter_);
        return;
    }
    shownPrinter_ = cmbPrinter_->itemText(index);
    showStored();
}

void frmPrint::showEvent(QShowEvent* event) {
    Form_Activate();
    txtLeft_->setFocus();
    QDialog::showEvent(event);
}

// A failed store keeps the dialog open with what was typed, so that nothing is lost unseen.
void frmPrint::cmdOk_Click() {
    if (writeOffsets(true))
        hide();
}

void frmPrint::Form_Unload() {
    writeOffsets(false);
}

// The close box saves like OK and unloads the dialog; the next showing creates it anew.
void frmPrint::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
    deleteLater();
}

// A box whose number is too large to write down keeps the stored text as it was rather than
// replacing it with something the user never typed. A scale outside the allowed range would stop
// the next print, so it is refused while it can be retyped, and otherwise left as stored.
bool frmPrint::writeOffsets(bool sayBadScale) {
    const auto typed = [](const QLineEdit* box) {
        return OffsetNumber::format(OffsetNumber::leadingNumber(box->text()));
    };
    PrinterProfile::OffsetTexts texts{typed(txtLeft_), typed(txtTop_), typed(txtScaleX_),
                                      typed(txtScaleY_)};
    for (QString* scale : {&texts.scaleX, &texts.scaleY}) {
        if (PrinterProfile::parseScalePercent(*scale))
            continue;
        if (sayBadScale) {
            platform_.showMessage(this,
                                  QStringLiteral("倍率は %1～%2 % の数値で入力してください。")
                                      .arg(SheetPage::MinScalePercent)
                                      .arg(SheetPage::MaxScalePercent),
                                  windowTitle(), MessageButtons::Ok);
            return false;
        }
        scale->clear();
    }
    return profile().writeOffset(texts, this);
}
