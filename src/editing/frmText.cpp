#include "editing/frmText.h"

#include "document/ColorTable.h"
#include "document/DialogState.h"
#include "editing/SizeRule.h"
#include "platform/Platform.h"
#include "document/LabelFileCodec.h"
#include "platform/fonts/FontCatalog.h"
#include "text/Cp932.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
const QString MessageTitle = QStringLiteral("文字の設定");

// The names of the colour numbers 0..15, in table order.
const char16_t* const ColorNames[ColorTable::Count] = {
    u"黒",       u"青",           u"緑",       u"シアン",         u"赤",
    u"マゼンタ", u"黄",           u"白",       u"灰色",           u"明るい青",
    u"明るい緑", u"明るいシアン", u"明るい赤", u"明るいマゼンタ", u"明るい黄",
    u"明るい白"};

constexpr int TypedSizeCharacters = 2;

bool isEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
} // namespace

frmText::frmText(Platform& platform, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      platform_(platform) {
    setObjectName(QStringLiteral("frmText"));
    setWindowTitle(QStringLiteral("文字設定"));
    setModal(true);
    buildControls();
    buildLayout();
    Form_Load();
}

QString frmText::colorName(int colorNumber) {
    return ColorTable::isValid(colorNumber) ? QString::fromUtf16(ColorNames[colorNumber])
                                            : QString();
}

void frmText::buildControls() {
    const QString captions[4] = {QStringLiteral("テキスト"), QStringLiteral("フォント"),
                                 QStringLiteral("サイズ"), QStringLiteral("色")};
    for (int index = 0; index < 4; ++index) {
        lblText_[index] = new QLabel(captions[index], this);
        lblText_[index]->setObjectName(QStringLiteral("lblText"));
        lblText_[index]->setProperty("Index", index);
    }

    txtText_ = new QLineEdit(this);
    txtText_->setObjectName(QStringLiteral("txtText"));
    txtText_->setMinimumWidth(320);

    cmbFont_ = new QComboBox(this);
    cmbFont_->setObjectName(QStringLiteral("cmbFont"));
    cmbFont_->setEditable(false);
    connect(cmbFont_, &QComboBox::currentIndexChanged, this, [this] { storedFontName_.clear(); });

    txtSize_ = new QLineEdit(this);
    txtSize_->setObjectName(QStringLiteral("txtSize"));
    txtSize_->setMaxLength(TypedSizeCharacters);
    // A longer size a caller showed lifts the limit until the user shortens it.
    connect(txtSize_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (text.size() <= TypedSizeCharacters)
            txtSize_->setMaxLength(TypedSizeCharacters);
    });
    txtSize_->setAttribute(Qt::WA_InputMethodEnabled, false);
    txtSize_->setFixedWidth(txtSize_->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);

    cmbColor_ = new QComboBox(this);
    cmbColor_->setObjectName(QStringLiteral("cmbColor"));
    cmbColor_->setEditable(false);
    for (const char16_t* name : ColorNames)
        cmbColor_->addItem(QString::fromUtf16(name));

    // Enter and Escape belong to the dialog, not to a default button.
    cmdOk_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOk_->setObjectName(QStringLiteral("cmdOk"));
    cmdOk_->setAutoDefault(false);
    cmdCancel_ = new QPushButton(QStringLiteral("キャンセル"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setAutoDefault(false);
    connect(cmdOk_, &QPushButton::clicked, this, &frmText::cmdOk_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmText::cmdCancel_Click);

    buildLayoutControls();

    setTabOrder(txtText_, txtSize_);
    setTabOrder(txtSize_, cmbColor_);
    setTabOrder(cmbColor_, optLayout_[0]);
    setTabOrder(chkUprightDigits_, cmdOk_);
    setTabOrder(cmdOk_, cmdCancel_);
    setTabOrder(cmdCancel_, cmbFont_);

    // Key preview: the dialog sees every key before the control with the focus.
    for (QWidget* control : findChildren<QWidget*>())
        control->installEventFilter(this);

    connect(txtText_, &QLineEdit::textChanged, this, &frmText::edited);
    connect(cmbFont_, &QComboBox::currentIndexChanged, this, &frmText::edited);
    connect(txtSize_, &QLineEdit::textChanged, this, &frmText::edited);
    connect(cmbColor_, &QComboBox::currentIndexChanged, this, &frmText::edited);
}

namespace {
QDoubleSpinBox* spinBox(QWidget* parent, const char* name, double low, double high,
                        const QString& unit) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(low, high);
    box->setDecimals(1);
    box->setSuffix(unit);
    box->setAccelerated(true);
    return box;
}
} // namespace

void frmText::buildLayoutControls() {
    const QString kinds[3] = {QStringLiteral("直線(&L)"), QStringLiteral("円弧(&A)"),
                              QStringLiteral("縦書き(&V)")};
    for (int kind = 0; kind < 3; ++kind) {
        optLayout_[kind] = new QRadioButton(kinds[kind], this);
        optLayout_[kind]->setObjectName(QStringLiteral("optLayout"));
        optLayout_[kind]->setProperty("Index", kind);
        connect(optLayout_[kind], &QRadioButton::toggled, this, [this](bool on) {
            if (!on)
                return;
            enableLayoutControls();
            emit edited();
        });
    }
    spnRotation_ = spinBox(this, "spnRotation", TextLayout::MinRotationDeg,
                           TextLayout::MaxRotationDeg, QStringLiteral(" 度"));
    spnRadius_ = spinBox(this, "spnRadius", TextLayout::MinRadiusMm, TextLayout::MaxRadiusMm,
                         QStringLiteral(" mm"));
    spnAngle_ = spinBox(this, "spnAngle", TextLayout::MinAngleDeg, TextLayout::MaxAngleDeg,
                        QStringLiteral(" 度"));
    spnAngle_->setWrapping(true);
    spnSpacing_ = spinBox(this, "spnSpacing", TextLayout::MinSpacingMm, TextLayout::MaxSpacingMm,
                          QStringLiteral(" mm"));
    cmbSide_ = new QComboBox(this);
    cmbSide_->setObjectName(QStringLiteral("cmbSide"));
    cmbSide_->addItems({QStringLiteral("外側"), QStringLiteral("内側"), QStringLiteral("自動")});
    cmbAlign_ = new QComboBox(this);
    cmbAlign_->setObjectName(QStringLiteral("cmbAlign"));
    cmbAlign_->addItems({QStringLiteral("先頭"), QStringLiteral("中央"), QStringLiteral("末尾")});
    chkUprightDigits_ = new QCheckBox(QStringLiteral("縦中横"), this);
    chkUprightDigits_->setObjectName(QStringLiteral("chkUprightDigits"));
    for (QDoubleSpinBox* box : {spnRotation_, spnRadius_, spnAngle_, spnSpacing_})
        connect(box, &QDoubleSpinBox::valueChanged, this, &frmText::edited);
    for (QComboBox* box : {cmbSide_, cmbAlign_})
        connect(box, &QComboBox::currentIndexChanged, this, &frmText::edited);
    connect(chkUprightDigits_, &QCheckBox::toggled, this, &frmText::edited);
    const TextLayout defaults;
    spnRadius_->setValue(defaults.radiusMm);
    cmbSide_->setCurrentIndex(int(defaults.side));
    cmbAlign_->setCurrentIndex(int(defaults.align));
    setLayout(defaults);
}

// 配置: each choice on its line with the values that belong to it.
QGroupBox* frmText::layoutGroup() {
    auto* group = new QGroupBox(QStringLiteral("配置"), this);
    group->setObjectName(QStringLiteral("fraLayout"));
    auto* grid = new QGridLayout(group);
    const auto label = [group](const QString& text) { return new QLabel(text, group); };
    grid->addWidget(optLayout_[0], 0, 0);
    grid->addWidget(label(QStringLiteral("回転")), 0, 1, Qt::AlignRight);
    grid->addWidget(spnRotation_, 0, 2);
    grid->addWidget(optLayout_[1], 1, 0);
    grid->addWidget(label(QStringLiteral("半径")), 1, 1, Qt::AlignRight);
    grid->addWidget(spnRadius_, 1, 2);
    grid->addWidget(label(QStringLiteral("角度")), 1, 3, Qt::AlignRight);
    grid->addWidget(spnAngle_, 1, 4);
    grid->addWidget(label(QStringLiteral("向き")), 2, 1, Qt::AlignRight);
    grid->addWidget(cmbSide_, 2, 2);
    grid->addWidget(label(QStringLiteral("揃え")), 2, 3, Qt::AlignRight);
    grid->addWidget(cmbAlign_, 2, 4);
    grid->addWidget(optLayout_[2], 3, 0);
    grid->addWidget(chkUprightDigits_, 3, 2);
    grid->addWidget(label(QStringLiteral("文字間隔")), 4, 1, Qt::AlignRight);
    grid->addWidget(spnSpacing_, 4, 2);
    grid->setColumnStretch(5, 1);
    return group;
}

void frmText::enableLayoutControls() {
    const TextLayoutKind kind = layout().kind;
    spnRotation_->setEnabled(kind == TextLayoutKind::Straight);
    for (QWidget* control : std::initializer_list<QWidget*>{spnRadius_, spnAngle_, cmbSide_,
                                                            cmbAlign_})
        control->setEnabled(kind == TextLayoutKind::Arc);
    spnSpacing_->setEnabled(kind != TextLayoutKind::Straight);
    chkUprightDigits_->setEnabled(kind == TextLayoutKind::Vertical);
}

TextLayout frmText::layout() const {
    TextLayout layout;
    for (int kind = 0; kind < 3; ++kind) {
        if (optLayout_[kind]->isChecked())
            layout.kind = TextLayoutKind(kind);
    }
    layout.rotationDeg = float(spnRotation_->value());
    layout.radiusMm = float(spnRadius_->value());
    layout.angleDeg = float(spnAngle_->value());
    layout.side = ArcSide(std::max(0, cmbSide_->currentIndex()));
    layout.align = ArcAlign(std::max(0, cmbAlign_->currentIndex()));
    layout.spacingMm = float(spnSpacing_->value());
    layout.uprightDigits = chkUprightDigits_->isChecked();
    return layout.normalized();
}

// The values of the other kinds stay as they were, so that trying a layout and going back
// loses nothing.
void frmText::setLayout(const TextLayout& layout) {
    optLayout_[int(layout.kind)]->setChecked(true);
    if (layout.kind == TextLayoutKind::Straight)
        spnRotation_->setValue(layout.rotationDeg);
    if (layout.kind == TextLayoutKind::Arc) {
        spnRadius_->setValue(layout.radiusMm);
        spnAngle_->setValue(layout.angleDeg);
        cmbSide_->setCurrentIndex(int(layout.side));
        cmbAlign_->setCurrentIndex(int(layout.align));
    }
    if (layout.kind != TextLayoutKind::Straight)
        spnSpacing_->setValue(layout.spacingMm);
    if (layout.kind == TextLayoutKind::Vertical)
        chkUprightDigits_->setChecked(layout.uprightDigits);
    enableLayoutControls();
}

void frmText::buildLayout() {
    auto* fields = new QGridLayout;
    fields->addWidget(lblText_[0], 0, 0);
    fields->addWidget(txtText_, 0, 1, 1, 4);
    fields->addWidget(lblText_[1], 1, 0);
    fields->addWidget(cmbFont_, 1, 1, 1, 4);
    fields->addWidget(lblText_[2], 2, 0);
    fields->addWidget(txtSize_, 2, 1);
    fields->addWidget(lblText_[3], 2, 2, Qt::AlignRight);
    fields->addWidget(cmbColor_, 2, 3);
    fields->setColumnStretch(4, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk_);
    buttons->addWidget(cmdCancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(layoutGroup());
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void frmText::Form_Load() {
    cmbFont_->addItems(platform_.fontFamilies());
    setFontName(platform_.defaultFontFamily());
    setSizeText(QString::fromLatin1(SizeRule::DefaultSizeText));
    cmbColor_->setCurrentIndex(0);
}

// ---- Controls as the callers see them -----------------------------------------------------

QString frmText::fontName() const {
    if (!storedFontName_.isEmpty())
        return storedFontName_;
    return cmbFont_->currentIndex() >= 0 ? cmbFont_->currentText() : cmbFont_->placeholderText();
}

// A document from a desktop in another language names an installed family by that language's
// name ("IPA Pゴシック" where the list says "IPAPGothic"): the family is selected as installed,
// and the stored name is read back until the user picks a font.
void frmText::setFontName(const QString& name) {
    int index = cmbFont_->findText(name);
    if (index < 0) {
        const QStringList names = FontCatalog::installed().namesOf(name);
        for (qsizetype i = 0; i < names.size() && index < 0; ++i)
            index = cmbFont_->findText(names[i]);
    }
    cmbFont_->setPlaceholderText(index >= 0 ? QString() : name);
    cmbFont_->setCurrentIndex(index);
    storedFontName_ = index >= 0 && cmbFont_->itemText(index) != name ? name : QString();
}

void frmText::startWithListedFont() {
    if (cmbFont_->currentIndex() < 0)
        setFontName(FontCatalog::installed().resolve(cmbFont_->placeholderText()).family);
    if (cmbFont_->currentIndex() < 0)
        setFontName(platform_.defaultFontFamily());
    storedFontName_.clear();
}

// The maximum length would cut a longer size (an item from a file), so it is lifted for it.
void frmText::setSizeText(const QString& text) {
    txtSize_->setMaxLength(std::max(TypedSizeCharacters, int(text.size())));
    txtSize_->setText(text);
}

std::int32_t frmText::sizePoints() const {
    return SizeRule::sizePoints(txtSize_->text());
}

int frmText::colorIndex() const {
    return cmbColor_->currentIndex();
}

void frmText::setColorIndex(int colorNumber) {
    cmbColor_->setCurrentIndex(ColorTable::isValid(colorNumber) ? colorNumber : -1);
}

void frmText::setTextSelected(const QString& text) {
    txtText_->setText(text);
    txtText_->selectAll();
}

// ---- Buttons ------------------------------------------------------------------------------

void frmText::cmdOk_Click() {
    if (txtText_->text().isEmpty()) {
        platform_.showMessage(this, QStringLiteral("テキストが書かれていません。"), MessageTitle,
                              MessageButtons::Ok);
        return;
    }
    if (refuseUnstorableText())
        return;
    if (sizePoints() < SizeRule::MinimumSizePoints)
        setSizeText(QString::fromLatin1(SizeRule::DefaultSizeText));
    Variable::DialogCancel = false;
    hide();
}

void frmText::cmdCancel_Click() {
    Variable::DialogCancel = true;
    hide();
}

// A text the document file cannot hold is refused here, while the user can still change it,
// rather than when the document is saved. The character is named, by its code as well, since it
// may look like one that can be stored or not show at all.
bool frmText::refuseUnstorableText() {
    using Problem = LabelFileCodec::StringsFit::Problem;
    const LabelFileCodec::StringsFit fit = LabelFileCodec::stringsFit(txtText_->text(), fontName());
    const QString naming =
        fit.character.isEmpty() ? QString()
                                : QStringLiteral("\n該当する文字:「%1」(%2)")
                                      .arg(fit.character, Cp932::codePointName(fit.character));
    switch (fit.problem) {
    case Problem::None:
        return false;
    case Problem::TextCharacter:
        showRefusal(QStringLiteral("保存できない文字が含まれています。") + naming, txtText_);
        return true;
    case Problem::FontCharacter:
        // The font list offers every installed family, and some have names the file cannot hold.
        showRefusal(QStringLiteral("フォント名に保存できない文字が含まれています。") + naming,
                    cmbFont_);
        return true;
    case Problem::TooLong:
        showRefusal(QStringLiteral("テキストが長すぎます。"), txtText_);
        return true;
    }
    return false;
}

void frmText::showRefusal(const QString& text, QWidget* culprit) {
    platform_.showMessage(this, text, MessageTitle, MessageButtons::Ok);
    culprit->setFocus();
}

// ---- Keys, activation and closing ---------------------------------------------------------

// Enter confirms from any control and never reaches it; Escape has no binding.
bool frmText::Form_KeyPress(int key) {
    if (isEnter(key)) {
        cmdOk_Click();
        return true;
    }
    return key == Qt::Key_Escape;
}

bool frmText::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && Form_KeyPress(static_cast<QKeyEvent*>(event)->key())) {
        event->accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmText::keyPressEvent(QKeyEvent* event) {
    if (Form_KeyPress(event->key())) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmText::Form_Activate() {
    txtText_->setFocus(Qt::ActiveWindowFocusReason);
}

void frmText::showEvent(QShowEvent* event) {
    // Whatever hides the dialog other than OK counts as leaving it without confirming.
    Variable::DialogCancel = true;
    QDialog::showEvent(event);
    Form_Activate();
}

void frmText::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
    QDialog::changeEvent(event);
}

void frmText::Form_Unload() {
    Variable::DialogCancel = true;
    unloaded_ = true;
}

void frmText::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
    deleteLater();
}
