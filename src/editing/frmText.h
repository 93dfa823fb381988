#pragma once

#include "document/TextLayout.h"

#include <QDialog>
#include <cstdint>

class Platform;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The text settings dialog: text, font, size, colour and layout (配置) of one text item. It never
// touches the document: callers fill its controls, show it modally and, when
// Variable::DialogCancel is false afterwards, read the controls back. While it is open it says
// whenever what it would make changes, so the label can show it. OK and Cancel only hide it, so
// the controls keep their values for the next use; the close box destroys it.
class frmText : public QDialog {
    Q_OBJECT
public:
    frmText(Platform& platform, QWidget* parent);

    // The colour list's name of a colour number (0..15), which other dialogs offer alike.
    static QString colorName(int colorNumber);

    QLineEdit* txtText() const { return txtText_; }
    QComboBox* cmbFont() const { return cmbFont_; }
    QLineEdit* txtSize() const { return txtSize_; }
    QComboBox* cmbColor() const { return cmbColor_; }
    QPushButton* cmdOk() const { return cmdOk_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }
    QLabel* lblText(int index) const { return lblText_[index]; }

    // The font list's text. A name the list lacks (a document made where other fonts were
    // installed) is shown as it is and read back unchanged until the user picks another font;
    // so is the name of an installed family in another language, with the family selected.
    QString fontName() const;
    void setFontName(const QString& name);
    // A new item starts with the font the list shows; when the dialog was last filled with a
    // font that is not installed, with the font that one is drawn in (or the default family).
    void startWithListedFont();

    // The size field's text; a caller's text is shown in full even beyond what can be typed.
    void setSizeText(const QString& text);
    std::int32_t sizePoints() const;

    // The selected colour number, or -1 when a caller set one outside the table.
    int colorIndex() const;
    void setColorIndex(int colorNumber);

    // The item's text, with all of it selected so that typing replaces it.
    void setTextSelected(const QString& text);

    // 配置: straight (turned by 回転), along the disc (円弧) or vertical (縦書き).
    TextLayout layout() const;
    void setLayout(const TextLayout& layout);
    QRadioButton* optLayout(TextLayoutKind kind) const { return optLayout_[int(kind)]; }
    QDoubleSpinBox* spnRotation() const { return spnRotation_; }
    QDoubleSpinBox* spnRadius() const { return spnRadius_; }
    QDoubleSpinBox* spnAngle() const { return spnAngle_; }
    QComboBox* cmbSide() const { return cmbSide_; }
    QComboBox* cmbAlign() const { return cmbAlign_; }
    QDoubleSpinBox* spnSpacing() const { return spnSpacing_; }
    QCheckBox* chkUprightDigits() const { return chkUprightDigits_; }

    // True once the close box (or the main window's shut-down) has closed the dialog; it is
    // then on its way to destruction and must not be shown again.
    bool isUnloaded() const { return unloaded_; }

    void cmdOk_Click();
    void cmdCancel_Click();

signals:
    // A control changed: what the dialog would make is different now.
    void edited();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildLayoutControls();
    QGroupBox* layoutGroup();
    void buildLayout();
    void enableLayoutControls();
    void Form_Load();
    void Form_Activate();
    bool Form_KeyPress(int key);
    void Form_Unload();
    bool refuseUnstorableText();
    void showRefusal(const QString& text, QWidget* culprit);

    Platform& platform_;
    QLabel* lblText_[4] = {};
    QLineEdit* txtText_ = nullptr;
    QComboBox* cmbFont_ = nullptr;
    QLineEdit* txtSize_ = nullptr;
    QComboBox* cmbColor_ = nullptr;
    QPushButton* cmdOk_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QRadioButton* optLayout_[3] = {};
    QDoubleSpinBox* spnRotation_ = nullptr;
    QDoubleSpinBox* spnRadius_ = nullptr;
    QDoubleSpinBox* spnAngle_ = nullptr;
    QComboBox* cmbSide_ = nullptr;
    QComboBox* cmbAlign_ = nullptr;
    QDoubleSpinBox* spnSpacing_ = nullptr;
    QCheckBox* chkUprightDigits_ = nullptr;
    QString storedFontName_; // the item's name for the selected family, kept until a new pick
    bool unloaded_ = false;
};
