#pragma once

#include "commands/LabelHistory.h"
#include "document/LabelContext.h"
#include "view/ViewCaches.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

class BandContainer;
class BackgroundCommands;
class DocumentCommands;
class DropHandler;
class LabelView;
class MouseEditing;
class MergePrint;
class PrintCommands;
class RecentFiles;
class QAction;
class QKeyEvent;
class QMenu;
class QScrollBar;
class QPainter;
class QToolBar;
class TextCommands;
class TrackListCommands;
class frmAbout;

// The one main window: it owns the open label and its undo history for the whole run, shows the
// label, and routes menus, tool bars, keys and the mouse to the commands.
class frmMain : public QMainWindow, public LabelSurface {
    Q_OBJECT
public:
    explicit frmMain(Platform& platform, QWidget* parent = nullptr);
    ~frmMain() override;

    // The open label
    OpenLabel& label() { return label_; }
    LabelDocument& document() { return label_.document; }
    Platform& platform() { return platform_; }
    const Picture& backgroundPicture() const { return label_.picture; }
    void setBackgroundPicture(Picture picture);
    FileDialogState& documentDialog() { return label_.documentDialog; }
    FileDialogState& backgroundDialog() { return label_.backgroundDialog; }
    LabelHistory& history() { return history_; }
    // The scroll bar's value; setting a different one zooms as the user would.
    int scaleStep() const;
    void setScaleStep(int value);

    // LabelSurface
    void RedrawLabel() override;
    void drawNewTextItem(int index) override;
    void showPreviewItems(const std::vector<TextItem>& items, int replacing = -1) override;
    void placeDialogClearOf(QWidget* dialog, const QRectF& areaMm) override;
    double viewSidePx() const override;
    void showMedium(const DiscFrame& frame) override;
    void showScaleStep(int step) override;
    void backgroundReplaced() override;
    void documentReplaced(const QString& path) override;
    void documentSaved(const QString& path) override;
    using LabelSurface::showFrame;
    void showFrame(const QPainterPath& outlineMm) override;
    void hideFrame() override;
    void showMovePointer() override;
    void showDefaultPointer() override;
    void popUpEditMenu(float x, float y) override;

    // Says once which of the user's sheet files were left out of the 用紙 menu, and why.
    void tellRefusedSheets();

    // Layout
    void LayoutView(float bandHeightPx);
    void cbrMenu_HeightChanged(float heightPx);

    // Menu handlers
    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileSave_Click(int index);
    void mnuFilePrintSetup_Click();
    void mnuFilePrint_Click();
    void mnuFileMerge_Click();
    void mnuFileExit_Click();
    void mnuEditUndo_Click();
    void mnuEditRedo_Click();
    void mnuEditBack_Click();
    void mnuEditBackFit_Click();
    void mnuEditTextIns_Click();
    void mnuEditTracks_Click();
    void mnuEditTextEdit_Click();
    void mnuEditTextDel_Click();
    void mnuEditTextCenterItem_Click(int index);
    void mnuHelpAbout_Click();

    // Routing
    void tbrFile_ButtonClick(const QString& key);
    void tbrEdit_ButtonClick(const QString& key);
    void fsbZoom_Change();

    // Mouse on picDoc
    void picDoc_MouseDown(int button, int shift, float x, float y);
    void picDoc_MouseMove(int button, int shift, float x, float y);
    void picDoc_MouseUp(int button, int shift, float x, float y);

    // Opens a document as Open does after its dialog (for a path given on the command line).
    bool openDocumentFile(const QString& path);

    // The placement Form_Load asked for, in twips (before the platform rounds it to pixels).
    QRectF requestedPlacementTwips() const { return requestedPlacementTwips_; }

    LabelView* picDoc() const { return picDoc_; }
    QWidget* picView() const { return picView_; }
    BandContainer* cbrMenu() const { return cbrMenu_; }
    QScrollBar* fsbZoom() const { return fsbZoom_; }
    QMenu* mnuEdit() const { return mnuEdit_; }
    const RecentFiles& recentFiles() const { return *recentFiles_; }

    // True while the menu bar or an open menu has the keyboard; the window's own keys are then
    // left to the menu.
    bool menuHasKeyboard() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Form_Resize();
    bool Form_KeyDown(int key);
    bool Form_KeyPress(int key);
    bool arrowKeyNudges(const QKeyEvent& key);
    bool interruptsDrag(QObject* watched, QEvent* event) const;
    bool Form_Unload();
    void closeDialogs();

    void buildMenus();
    void buildBands();
    QToolBar* buildToolBar(const QString& name, const QList<QStringList>& buttons);
    QAction* addMenuItem(QMenu* menu, const QString& name, const QString& caption);
    void addSeparator(QMenu* menu, const QString& name);
    void restorePlacement();
    void placeSelectionFrame();
    void drawPreviewItems(QPainter& painter, int side) const;
    void updateUndoActions();
    void rememberDocument(const QString& path);
    LabelContext context();
    QImage& nextViewImage(int sidePx, qreal ratio);

    // Desktop habits: title, recent documents, dropped files, the wheel, hover.
    void installDesktopHabits();
    void refreshTitle();
    void fillRecentMenu();
    void openRecentFile(const QString& path);
    void openDroppedDocument(const QString& path);
    void openDroppedPicture(const QString& path);

    Platform& platform_;
    OpenLabel label_;
    LabelHistory history_{label_};
    ViewCaches viewCaches_; // what RedrawLabel keeps between redraws
    QImage viewImages_[2];
    int nextViewImage_ = 0;
    QRectF requestedPlacementTwips_;
    std::vector<TextItem> previewItems_; // a dialog's proposal, drawn over the label
    int previewReplacing_ = -1;          // the item the proposal stands in for

    QWidget* client_ = nullptr;
    BandContainer* cbrMenu_ = nullptr;
    QToolBar* tbrFile_ = nullptr;
    QToolBar* tbrEdit_ = nullptr;
    QScrollBar* fsbZoom_ = nullptr;
    QWidget* picView_ = nullptr;
    LabelView* picDoc_ = nullptr;
    DiscFrame mediumFrame_; // the guide circles and the text check of the medium printed on
    QMenu* mnuEdit_ = nullptr;
    QAction* mnuEditUndo_ = nullptr;
    QAction* mnuEditRedo_ = nullptr;
    int zoomGesture_ = 0; // counts drags of the scroll bar's thumb
    QPointer<frmAbout> about_;
    QEvent* lastKeyEvent_ = nullptr;
    QPointer<QWidget> lastKeyTarget_;

    std::unique_ptr<DocumentCommands> documentCommands_;
    std::unique_ptr<BackgroundCommands> backgroundCommands_;
    std::unique_ptr<TextCommands> textCommands_;
    std::unique_ptr<TrackListCommands> trackListCommands_;
    std::unique_ptr<MouseEditing> mouseEditing_;
    std::unique_ptr<PrintCommands> printCommands_;
    std::unique_ptr<MergePrint> mergePrint_;
    std::unique_ptr<RecentFiles> recentFiles_;
    QMenu* mnuFileRecent_ = nullptr;
    DropHandler* dropHandler_ = nullptr;
};
