#include "printing/frmPrint.h"

#include "platform/Platform.h"
#include "printing/render/OffsetNumber.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>
#include <algorithm>

namespace {
constexpr int MaxTypedLength = 3;

// Control positions are given in twips at 15 twips per pixel.
QRect twips(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

QLineEdit* offsetBox(QWidget* parent, const char* name, QRect geometry) {
    auto* box = new QLineEdit(QStringLiteral("0"), parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    // Direct character input only: no input method composes into the box.
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    box->setInputMethodHints(Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
    return box;
}

void addLabel(QWidget* parent, const QString& name, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
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
    setFixedSize(3150 / 15, 1740 / 15);

    addLabel(this, QStringLiteral("lblText_0"), QStringLiteral("左端から"),
             twips(240, 255, 1080, 300));
    addLabel(this, QStringLiteral("lblText_1"), QStringLiteral("上端から"),
             twips(240, 675, 1080, 300));
    txtLeft_ = offsetBox(this, "txtLeft", twips(1380, 210, 735, 330));
    txtTop_ = offsetBox(this, "txtTop", twips(1380, 630, 735, 330));
    leftLimit_ = new OffsetLengthLimit(txtLeft_);
    topLimit_ = new OffsetLengthLimit(txtTop_);
    addLabel(this, QStringLiteral("lblUnit_0"), QStringLiteral("mm"), twips(2190, 255, 600, 300));
    addLabel(this, QStringLiteral("lblUnit_1"), QStringLiteral("mm"), twips(2190, 675, 600, 300));

    cmdOk_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOk_->setObjectName(QStringLiteral("cmdOk"));
    cmdOk_->setGeometry(twips(1680, 1140, 1215, 390));
    cmdOk_->setDefault(true);
    connect(cmdOk_, &QPushButton::clicked, this, &frmPrint::cmdOk_Click);

    setTabOrder(txtLeft_, txtTop_);
    setTabOrder(txtTop_, cmdOk_);
    Form_Activate(); // Form_Load reads the same way
}

void frmPrint::Form_Activate() {
    leftLimit_->showStored(
        platform_.readSetting(QStringLiteral("PrinterLeft"), QStringLiteral("0")));
    topLimit_->showStored(platform_.readSetting(QStringLiteral("PrinterTop"), QStringLiteral("0")));
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

// Left first, then top. A box whose number is too large to write down keeps the stored text as
// it was rather than replacing it with something the user never typed. A settings store that
// refuses the values is reported once; false then.
bool frmPrint::writeOffsets() {
    const std::pair<const char*, QLineEdit*> boxes[] = {{"PrinterLeft", txtLeft_},
                                                        {"PrinterTop", txtTop_}};
    bool stored = true;
    for (const auto& [key, box] : boxes) {
        const QString text = OffsetNumber::format(OffsetNumber::leadingNumber(box->text()));
        if (!text.isEmpty())
            stored = platform_.writeSetting(QLatin1String(key), text) && stored;
    }
    if (!stored)
        platform_.showMessage(this, QStringLiteral("印刷位置を保存できませんでした。"),
                              QStringLiteral("印刷位置設定"), MessageButtons::Ok);
    return stored;
}
