#include "printing/frmPrint.h"

#include "platform/Platform.h"
#include "printing/PrinterProfile.h"
#include "printing/render/OffsetNumber.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>
#include <algorithm>

namespace {
constexpr int MaxTypedLength = 3;

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

QLineEdit* offsetBox(QWidget* parent, const char* name) {
    auto* box = new QLineEdit(QStringLiteral("0"), parent);
    box->setObjectName(QLatin1String(name));
    // Room for a few more characters than can be typed, as a stored text may be longer.
    const int textWidth = box->fontMetrics().horizontalAdvance(QStringLiteral("-9999"));
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

// Typing never makes a box longer than three characters. A longer text that came from the
// settings store is shown whole and may still be shortened; a plain maximum length would cut it
// when it is shown and so change the stored offset on the next OK.
class OffsetLengthLimit : public QValidator {
public:
    explicit OffsetLengthLimit(QLineEdit* box) : QValidator(box), box_(box) {
        box->setValidator(this);
        connect(box, &QLineEdit::textChanged, this, [this](const QString& text) {
            ceiling_ = std::max<qsizetype>(MaxTypedLength, std::min(ceiling_, text.size()));
        });
    }

    // Shows a stored text, however long.
    void showStored(const QString& text) {
        ceiling_ = std::max<qsizetype>(MaxTypedLength, text.size());
        box_->setText(text);
    }

    State validate(QString& input, int&) const override {
        return input.size() <= ceiling_ ? Acceptable : Invalid;
    }

private:
    QLineEdit* box_;
    qsizetype ceiling_ = MaxTypedLength;
};

frmPrint::frmPrint(Platform& platform, QWidget* parent) : QDialog(parent), platform_(platform) {
    setObjectName(QStringLiteral("frmPrint"));
    setWindowTitle(QStringLiteral("印刷位置設定"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);

    txtLeft_ = offsetBox(this, "txtLeft");
    txtTop_ = offsetBox(this, "txtTop");
    leftLimit_ = new OffsetLengthLimit(txtLeft_);
    topLimit_ = new OffsetLengthLimit(txtTop_);
    cmdOk_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOk_->setObjectName(QStringLiteral("cmdOk"));
    cmdOk_->setMinimumSize(ButtonWidth, ButtonHeight);
    cmdOk_->setDefault(true);
    layOut();
    connect(cmdOk_, &QPushButton::clicked, this, &frmPrint::cmdOk_Click);

    setTabOrder(txtLeft_, txtTop_);
    setTabOrder(txtTop_, cmdOk_);
    Form_Activate(); // Form_Load reads the same way
}

// Two rows of caption, box and unit, and OK below on the right; the dialog keeps the size its
// contents need.
void frmPrint::layOut() {
    auto* rows = new QGridLayout;
    rows->setHorizontalSpacing(ColumnGap);
    rows->setVerticalSpacing(RowGap);
    rows->addWidget(
        addLabel(this, QStringLiteral("lblText_0"), QStringLiteral("左端から"), LabelWidth), 0, 0);
    rows->addWidget(txtLeft_, 0, 1);
    rows->addWidget(addLabel(this, QStringLiteral("lblUnit_0"), QStringLiteral("mm"), UnitWidth), 0,
                    2);
    rows->addWidget(
        addLabel(this, QStringLiteral("lblText_1"), QStringLiteral("上端から"), LabelWidth), 1, 0);
    rows->addWidget(txtTop_, 1, 1);
    rows->addWidget(addLabel(this, QStringLiteral("lblUnit_1"), QStringLiteral("mm"), UnitWidth), 1,
                    2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Margins);
    layout->setSpacing(0);
    layout->addLayout(rows);
    layout->addSpacing(ButtonGap);
    layout->addWidget(cmdOk_, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void frmPrint::Form_Activate() {
    const PrinterProfile::OffsetTexts stored = PrinterProfile(platform_).offsetTexts();
    leftLimit_->showStored(stored.left);
    topLimit_->showStored(stored.top);
}

void frmPrint::showEvent(QShowEvent* event) {
    Form_Activate();
    txtLeft_->setFocus();
    QDialog::showEvent(event);
}

// A failed store keeps the dialog open with what was typed, so that nothing is lost unseen.
void frmPrint::cmdOk_Click() {
    if (writeOffsets())
        hide();
}

void frmPrint::Form_Unload() {
    writeOffsets();
}

// The close box saves like OK and unloads the dialog; the next showing creates it anew.
void frmPrint::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
    deleteLater();
}

// A box whose number is too large to write down keeps the stored text as it was rather than
// replacing it with something the user never typed.
bool frmPrint::writeOffsets() {
    const auto typed = [](const QLineEdit* box) {
        return OffsetNumber::format(OffsetNumber::leadingNumber(box->text()));
    };
    return PrinterProfile(platform_).writeOffset({typed(txtLeft_), typed(txtTop_)}, this);
}
