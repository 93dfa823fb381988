#pragma once

#include <QDialog>
#include <cstdint>

class Platform;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The text settings dialog: text, font, size and colour of one text item. It never touches the
// document: callers fill its controls, show it modally and, when Variable::DialogCancel is false
// afterwards, read the controls back. OK and Cancel only hide it, so the controls keep their
// values for the next use; the close box destroys it.
class frmText : public QDialog {
    Q_OBJECT
public:
    // An item's text and font name share this many bytes of its document record.
    static constexpr int MaxTextAndFontBytes = 100;

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

    // True once the close box (or the main window's shut-down) has closed the dialog; it is
    // then on its way to destruction and must not be shown again.
    bool isUnloaded() const { return unloaded_; }

    void cmdOk_Click();
    void cmdCancel_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildLayout();
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
    QString storedFontName_; // the item's name for the selected family, kept until a new pick
    bool unloaded_ = false;
};
