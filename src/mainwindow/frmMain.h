#pragma once

#include "document/LabelWindow.h"
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
class PrintCommands;
class RecentFiles;
class QAction;
class QMenu;
class QScrollBar;
class QToolBar;
class TextCommands;
class frmAbout;

// The one main window: it owns the document for the whole run, lays out the view and routes
// menus, tool bars, keys and the mouse to the commands.
class frmMain : public QMainWindow, public LabelWindow {
    Q_OBJECT
public:
    explicit frmMain(Platform& platform, QWidget* parent = nullptr);
    ~frmMain() override;

    // LabelWindow
    LabelDocument& document() override { return document_; }
    Platform& platform() override { return platform_; }
    QWidget* dialogParent() override { return this; }
    const Picture& backgroundPicture() const override { return picDummy_; }
    void setBackgroundPicture(Picture picture) override;
    FileDialogState& documentDialog() override { return cdlFile_; }
    FileDialogState& backgroundDialog() override { return cdlBack_; }
    int scaleStep() const override;
    void setScaleStep(int value) override;
    void RedrawLabel() override;
    void drawNewTextItem(int index) override;
    double viewSidePx() const override;

    // Layout
    void LayoutView(float bandHeightPx);
    void cbrMenu_HeightChanged(float heightPx);

    // Menu handlers
    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileSave_Click(int index);
    void mnuFilePrintSetup_Click();
    void mnuFilePrint_Click();
    void mnuFileExit_Click();
    void mnuEditBack_Click();
    void mnuEditTextIns_Click();
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Form_Resize();
    bool Form_KeyDown(int key);
    bool Form_KeyPress(int key);
    bool Form_Unload();
    void closeDialogs();

    void buildMenus();
    void buildBands();
    QToolBar* buildToolBar(const QString& name, const QList<QStringList>& buttons);
    QAction* addMenuItem(QMenu* menu, const QString& name, const QString& caption);
    void addSeparator(QMenu* menu, const QString& name);
    void restorePlacement();
    void placeSelectionFrame();
    QImage& nextViewImage(int sidePx, qreal ratio);

    // Desktop habits: title, recent documents, dropped files, the wheel, hover.
    void installDesktopHabits();
    void refreshTitle();
    void fillRecentMenu();
    void openRecentFile(const QString& path);
    void openDroppedDocument(const QString& path);
    void openDroppedPicture(const QString& path);

    Platform& platform_;
    LabelDocument document_;
    Picture picDummy_;
    ViewCaches viewCaches_; // what RedrawLabel keeps between redraws
    QImage viewImages_[2];
    int nextViewImage_ = 0;
    FileDialogState cdlFile_;
    FileDialogState cdlBack_;
    QRectF requestedPlacementTwips_;

    QWidget* client_ = nullptr;
    BandContainer* cbrMenu_ = nullptr;
    QToolBar* tbrFile_ = nullptr;
    QToolBar* tbrEdit_ = nullptr;
    QScrollBar* fsbZoom_ = nullptr;
    QWidget* picView_ = nullptr;
    LabelView* picDoc_ = nullptr;
    QMenu* mnuEdit_ = nullptr;
    QPointer<frmAbout> about_;
    QEvent* lastKeyEvent_ = nullptr;
    QPointer<QWidget> lastKeyTarget_;

    std::unique_ptr<DocumentCommands> documentCommands_;
    std::unique_ptr<BackgroundCommands> backgroundCommands_;
    std::unique_ptr<TextCommands> textCommands_;
    std::unique_ptr<MouseEditing> mouseEditing_;
    std::unique_ptr<PrintCommands> printCommands_;
    std::unique_ptr<RecentFiles> recentFiles_;
    QMenu* mnuFileRecent_ = nullptr;
    DropHandler* dropHandler_ = nullptr;
};
