#include "mainwindow/frmMain.h"

#include "document/DocumentCommands.h"
#include "editing/BackgroundCommands.h"
#include "editing/MouseEditing.h"
#include "editing/TextCommands.h"
#include "mainwindow/BandContainer.h"
#include "mainwindow/DropHandler.h"
#include "mainwindow/FrameSizer.h"
#include "mainwindow/MenuShortcuts.h"
#include "mainwindow/RecentFiles.h"
#include "mainwindow/ToolbarImages.h"
#include "mainwindow/WindowPlacement.h"
#include "mainwindow/frmAbout.h"
#include "platform/pictures/PictureLoader.h"
#include "printing/MergePrint.h"
#include "printing/PrintCommands.h"
#include "shapes/ItemHits.h"
#include "shapes/ItemShape.h"
#include "tracks/TrackListCommands.h"
#include "view/LabelRenderer.h"
#include "view/RangeOutlines.h"
#include "view/ScreenView.h"
#include "view/widgets/LabelView.h"
#include "view/widgets/SelectionFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QToolBar>
#include <algorithm>

namespace {
const QString DocumentFilter = QStringLiteral("Gyroplatecomposer Files|*.gpc");
// The classic picture types first, then the other formats the loader reads.
const QString PictureFilter =
    QStringLiteral(
        "ピクチャファイル|*.bmp;*.ico;*.cur;*.rle;*.wmf;*.emf;*.jpg|その他の画像ファイル|") +
    PictureLoader::otherPatterns();

// Band widths in twips at design, turned into pixels at 15 twips per pixel.
constexpr int px(int twips) {
    return twips / 15;
}
} // namespace

frmMain::frmMain(Platform& platform, QWidget* parent) : QMainWindow(parent), platform_(platform) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Gyroplatecomposer"));

    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
    client_->installEventFilter(this);

    printCommands_ = std::make_unique<PrintCommands>(context());
    buildMenus();
    buildBands();

    picView_ = new QWidget(client_);
    picView_->setObjectName(QStringLiteral("picView"));
    picView_->setAutoFillBackground(true);
    QPalette viewPalette = picView_->palette();
    viewPalette.setColor(QPalette::Window, viewPalette.color(QPalette::Dark));
    picView_->setPalette(viewPalette);

    picDoc_ = new LabelView(picView_);
    connect(picDoc_, &LabelView::mouseDown, this, &frmMain::picDoc_MouseDown);
    connect(picDoc_, &LabelView::mouseMove, this, &frmMain::picDoc_MouseMove);
    connect(picDoc_, &LabelView::mouseUp, this, &frmMain::picDoc_MouseUp);
    // Sharper pixels of a large photo are decoded off this thread; they show with the next redraw.
    viewCaches_.picture.decodeInBackground([this] { RedrawLabel(); });

    label_.addListener(this);
    documentCommands_ = std::make_unique<DocumentCommands>(context());
    backgroundCommands_ = std::make_unique<BackgroundCommands>(context(), history_);
    textCommands_ = std::make_unique<TextCommands>(context(), history_);
    trackListCommands_ = std::make_unique<TrackListCommands>(context(), history_, *textCommands_);
    mouseEditing_ = std::make_unique<MouseEditing>(context(), history_);
    connect(&history_, &LabelHistory::changed, this, &frmMain::updateUndoActions);
    updateUndoActions();
    mergePrint_ = std::make_unique<MergePrint>(context());
    installDesktopHabits();

    // Key preview: the window sees keys before whichever of its controls has the focus.
    qApp->installEventFilter(this);

    Form_Load();
}

frmMain::~frmMain() {
    qApp->removeEventFilter(this);
    label_.removeListener(this);
}

LabelContext frmMain::context() {
    return LabelContext{platform_, this, label_, *this};
}

// ---- Start-up and layout ------------------------------------------------------------------

void frmMain::Form_Load() {
    restorePlacement();
    label_.documentDialog = FileDialogState{DocumentFilter, QString()};
    label_.backgroundDialog = FileDialogState{PictureFilter, QString()};
    label_.document.SelectedText = -1;
}

void frmMain::restorePlacement() {
    const WindowPlacement::Twips placement = WindowPlacement::read(platform_);
    requestedPlacementTwips_ = placement.rect;
    const double perPixel = platform_.twipsPerPixel();
    const QRect pixels = WindowPlacement::toPixels(placement.rect, perPixel);
    // The placement is the outer frame: move() places the frame, and the client is made smaller
    // by the frame once the frame is known.
    move(pixels.topLeft());
    resize(pixels.size());
    new FrameSizer(this, pixels.size());
}

void frmMain::Form_Resize() {
    cbrMenu_->arrange(client_->width());
    LayoutView(float(cbrMenu_->height()));
}

void frmMain::cbrMenu_HeightChanged(float heightPx) {
    LayoutView(heightPx);
}

void frmMain::LayoutView(float bandHeightPx) {
    // Updates are held back instead of hiding picView, so the focus stays where it was.
    picView_->setUpdatesEnabled(false);
    const int top = int(bandHeightPx);
    if (client_->height() - top >= 0)
        picView_->setGeometry(0, top, client_->width(), client_->height() - top);

    const QRect inner = picView_->contentsRect();
    const float innerWidth = float(inner.width()), innerHeight = float(inner.height());
    const float ratio = 19.0f / 20.0f;
    const float side = innerWidth > innerHeight ? innerHeight * ratio : innerWidth * ratio;
    picDoc_->resize(qRound(side), qRound(side));
    picDoc_->resize(picDoc_->width(), picDoc_->width());
    picDoc_->move((inner.width() - picDoc_->width()) / 2, (inner.height() - picDoc_->height()) / 2);

    RedrawLabel();
    picView_->setUpdatesEnabled(true);
}

double frmMain::viewSidePx() const {
    return picDoc_->width();
}

// The menu tells the medium while the window is being built, before there is a view to draw.
void frmMain::showMedium(const DiscFrame& frame) {
    mediumFrame_ = frame;
    if (picDoc_)
        RedrawLabel();
}

void frmMain::tellRefusedSheets() {
    printCommands_->tellRefusedSheets();
}

// ---- Drawing ------------------------------------------------------------------------------

void frmMain::RedrawLabel() {
    const int side = picDoc_->width();
    if (side <= 0)
        return;
    const qreal ratio = picDoc_->devicePixelRatioF();
    QImage& image = nextViewImage(qRound(side * ratio), ratio);
    const QColor background = picDoc_->palette().color(QPalette::Base);

    QPainter painter(&image);
    if (previewReplacing_ >= 0 && previewReplacing_ < label_.document.itemCount()) {
        // The item a dialog is changing gives way to its proposal.
        LabelDocument shown = label_.document;
        shown.removeItem(previewReplacing_);
        ScreenView::draw(painter, side, shown, label_.picture, background, viewCaches_,
                         mediumFrame_);
    } else {
        ScreenView::draw(painter, side, label_.document, label_.picture, background, viewCaches_,
                         mediumFrame_);
    }
    drawPreviewItems(painter, side);
    painter.end();
    picDoc_->setImage(image);
    placeSelectionFrame();
}

void frmMain::showPreviewItems(const std::vector<TextItem>& items, int replacing) {
    if (items.empty() && previewItems_.empty() && replacing == previewReplacing_)
        return;
    previewItems_ = items;
    previewReplacing_ = items.empty() ? -1 : replacing;
    RedrawLabel();
}

// Proposed items are drawn as inserted ones would be, outlined where they would leave the ring.
void frmMain::drawPreviewItems(QPainter& painter, int side) const {
    if (previewItems_.empty())
        return;
    const Geometry geometry = Geometry::screen(side);
    LabelDocument preview;
    preview.TextItems = previewItems_;
    LabelRenderer::drawTextItems(painter, geometry, preview);
    RangeOutlines::draw(painter, geometry, preview, DiscRangeCheck::check(preview, mediumFrame_));
}

// Two images taken in turn: the view shares the one drawn last, the next redraw draws into the
// other. Drawing into a fresh image on every pointer move costs more than the drawing itself.
QImage& frmMain::nextViewImage(int sidePx, qreal ratio) {
    QImage& image = viewImages_[nextViewImage_];
    nextViewImage_ = 1 - nextViewImage_;
    if (image.width() != sidePx || image.height() != sidePx || image.devicePixelRatio() != ratio) {
        image = QImage(sidePx, sidePx, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
    }
    return image;
}

// Insert draws its item on top of the image shown, as the next whole redraw would.
void frmMain::drawNewTextItem(int index) {
    QImage image = picDoc_->image();
    if (image.isNull() || index < 0 || index >= label_.document.itemCount())
        return; // not laid out yet: the first layout draws everything
    QPainter painter(&image);
    LabelRenderer::drawTextItem(painter, Geometry::screen(picDoc_->width()),
                                label_.document.item(index));
    RangeOutlines::draw(painter, Geometry::screen(picDoc_->width()), label_.document,
                        viewCaches_.range.findings(label_.document, mediumFrame_));
    painter.end();
    picDoc_->setImage(std::move(image));
}

void frmMain::placeSelectionFrame() {
    const LabelDocument& document = label_.document;
    if (!document.hasSelection()) {
        hideFrame();
        return;
    }
    // While a dialog changes the selected item, the frame goes round what it would make.
    const bool previewed = previewReplacing_ == document.SelectedText && !previewItems_.empty();
    showFrame(ItemShape::of(previewed ? previewItems_.front()
                                      : document.item(document.SelectedText))
                  ->outlineMm());
}

// Below the area when it lies in the upper half of the label, above it otherwise, else beside
// the label; where none fits on the screen the dialog stays where it would open.
void frmMain::placeDialogClearOf(QWidget* dialog, const QRectF& anyAreaMm) {
    // Only what lies on the label can be kept in view (an item of a damaged file may lie far off).
    const QRectF areaMm = anyAreaMm.intersected(QRectF(0, 0, LabelSideMm, LabelSideMm));
    if (areaMm.isEmpty() || !dialog)
        return;
    dialog->adjustSize();
    // The frame the window manager adds is not known before the dialog shows.
    const QSize size = dialog->size() + QSize(16, 40);
    const QRect area(picDoc_->mapToGlobal(picDoc_->toPixels(areaMm.topLeft()).toPoint()),
                     picDoc_->mapToGlobal(picDoc_->toPixels(areaMm.bottomRight()).toPoint()));
    const QRect label(picDoc_->mapToGlobal(QPoint(0, 0)), picDoc_->size());
    const QRect screen = this->screen()->availableGeometry();
    constexpr int Gap = 12;
    const int centredX = area.center().x() - size.width() / 2;
    const QPoint below(centredX, area.bottom() + Gap), above(centredX, area.top() - Gap - size.height());
    const bool upper = areaMm.center().y() < LabelSideMm / 2;
    const QPoint candidates[] = {upper ? below : above, upper ? above : below,
                                 QPoint(label.right() + Gap, area.center().y() - size.height() / 2),
                                 QPoint(label.left() - Gap - size.width(),
                                        area.center().y() - size.height() / 2)};
    for (QPoint at : candidates) {
        at.setX(std::clamp(at.x(), screen.left(), std::max(screen.left(), screen.right() - size.width())));
        const QRect placed(at, size);
        if (screen.contains(placed) && !placed.intersects(area)) {
            dialog->move(at);
            return;
        }
    }
}

void frmMain::showFrame(const QPainterPath& outlineMm) {
    SelectionFrame* frame = picDoc_->selectionFrame();
    frame->setOutlineMm(outlineMm);
    frame->show();
    frame->raise();
}

void frmMain::hideFrame() {
    picDoc_->selectionFrame()->hide();
}

void frmMain::showMovePointer() {
    picDoc_->showMovePointer();
}

void frmMain::showDefaultPointer() {
    picDoc_->showDefaultPointer();
}

// Not exec(): the menu runs its commands on its own and the handler returns at once.
void frmMain::popUpEditMenu(float x, float y) {
    mnuEdit_->popup(picDoc_->mapToGlobal(picDoc_->toPixels(QPointF(x, y)).toPoint()));
}

void frmMain::setBackgroundPicture(Picture picture) {
    label_.picture = std::move(picture);
    backgroundReplaced();
}

void frmMain::backgroundReplaced() {
    viewCaches_.picture.clear(); // the old picture's copy is not needed any more
}

int frmMain::scaleStep() const {
    return fsbZoom_->value();
}

void frmMain::setScaleStep(int value) {
    fsbZoom_->setValue(value);
}

void frmMain::showScaleStep(int step) {
    const QSignalBlocker quiet(fsbZoom_);
    fsbZoom_->setValue(step);
}

void frmMain::documentReplaced(const QString& path) {
    history_.clear();
    rememberDocument(path);
}

void frmMain::documentSaved(const QString& path) {
    history_.markSaved();
    rememberDocument(path);
}

// A document opened or saved goes to the top of the recent documents.
void frmMain::rememberDocument(const QString& path) {
    if (!path.isEmpty()) {
        recentFiles_->add(path);
        fillRecentMenu();
    }
    refreshTitle();
}

void frmMain::updateUndoActions() {
    const auto caption = [](const QString& verb, const QString& mnemonic, const QString& step) {
        return step.isEmpty() ? verb + mnemonic : verb + QStringLiteral(": ") + step + mnemonic;
    };
    mnuEditUndo_->setText(
        caption(QStringLiteral("元に戻す"), QStringLiteral("(&U)"), history_.undoText()));
    mnuEditUndo_->setEnabled(history_.canUndo());
    mnuEditRedo_->setText(
        caption(QStringLiteral("やり直し"), QStringLiteral("(&R)"), history_.redoText()));
    mnuEditRedo_->setEnabled(history_.canRedo());
}

// ---- Menus and bands ----------------------------------------------------------------------

QAction* frmMain::addMenuItem(QMenu* menu, const QString& name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

void frmMain::addSeparator(QMenu* menu, const QString& name) {
    menu->addSeparator()->setObjectName(name);
}

void frmMain::buildMenus() {
    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    connect(addMenuItem(mnuFile, "mnuFileNew", QStringLiteral("ラベルの新規作成(&N)")),
            &QAction::triggered, this, &frmMain::mnuFileNew_Click);
    connect(addMenuItem(mnuFile, "mnuFileOpen", QStringLiteral("開く(&O)...")), &QAction::triggered,
            this, &frmMain::mnuFileOpen_Click);
    const QStringList saveCaptions = {QStringLiteral("上書き保存(&S)"),
                                      QStringLiteral("名前を付けて保存(&A)...")};
    for (int index = 0; index < saveCaptions.size(); ++index) {
        QAction* save = addMenuItem(mnuFile, "mnuFileSave", saveCaptions[index]);
        save->setProperty("Index", index);
        connect(save, &QAction::triggered, this, [this, index] { mnuFileSave_Click(index); });
    }
    addSeparator(mnuFile, "mnuFileBar1");
    printCommands_->addMediumMenu(mnuFile);
    connect(addMenuItem(mnuFile, "mnuFilePrintSetup", QStringLiteral("印刷位置設定(&S)...")),
            &QAction::triggered, this, &frmMain::mnuFilePrintSetup_Click);
    connect(addMenuItem(mnuFile, "mnuFilePrint", QStringLiteral("印刷(&P)...")),
            &QAction::triggered, this, &frmMain::mnuFilePrint_Click);
    printCommands_->addMenuItems(mnuFile);
    connect(addMenuItem(mnuFile, "mnuFileMerge", QStringLiteral("差し込み印刷(&M)...")),
            &QAction::triggered, this, &frmMain::mnuFileMerge_Click);
    addSeparator(mnuFile, "mnuFileBar2");
    connect(addMenuItem(mnuFile, "mnuFileExit", QStringLiteral("終了(&X)")), &QAction::triggered,
            this, &frmMain::mnuFileExit_Click);

    mnuEdit_ = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    mnuEdit_->setObjectName(QStringLiteral("mnuEdit"));
    mnuEditUndo_ = addMenuItem(mnuEdit_, "mnuEditUndo", QStringLiteral("元に戻す(&U)"));
    mnuEditUndo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(mnuEditUndo_, &QAction::triggered, this, &frmMain::mnuEditUndo_Click);
    mnuEditRedo_ = addMenuItem(mnuEdit_, "mnuEditRedo", QStringLiteral("やり直し(&R)"));
    mnuEditRedo_->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(mnuEditRedo_, &QAction::triggered, this, &frmMain::mnuEditRedo_Click);
    addSeparator(mnuEdit_, "mnuEditBar0");
    connect(addMenuItem(mnuEdit_, "mnuEditBack", QStringLiteral("背景を開く(&B)...")),
            &QAction::triggered, this, &frmMain::mnuEditBack_Click);
    connect(addMenuItem(mnuEdit_, "mnuEditBackFit", QStringLiteral("背景を全体に合わせる(&F)")),
            &QAction::triggered, this, &frmMain::mnuEditBackFit_Click);
    addSeparator(mnuEdit_, "mnuEditBar1");
    connect(addMenuItem(mnuEdit_, "mnuEditTextIns", QStringLiteral("文字の挿入(&I)...")),
            &QAction::triggered, this, &frmMain::mnuEditTextIns_Click);
    connect(addMenuItem(mnuEdit_, "mnuEditTracks", QStringLiteral("曲目リストの挿入(&T)...")),
            &QAction::triggered, this, &frmMain::mnuEditTracks_Click);
    connect(addMenuItem(mnuEdit_, "mnuEditTextEdit", QStringLiteral("文字の編集(&E)...")),
            &QAction::triggered, this, &frmMain::mnuEditTextEdit_Click);
    connect(addMenuItem(mnuEdit_, "mnuEditTextDel", QStringLiteral("文字の削除(&D)")),
            &QAction::triggered, this, &frmMain::mnuEditTextDel_Click);
    QMenu* mnuEditTextCenter = mnuEdit_->addMenu(QStringLiteral("文字の位置(&C)"));
    mnuEditTextCenter->setObjectName(QStringLiteral("mnuEditTextCenter"));
    mnuEditTextCenter->menuAction()->setObjectName(QStringLiteral("mnuEditTextCenter"));
    const QStringList centreCaptions = {QStringLiteral("左右中央(&U)"),
                                        QStringLiteral("上下中央(&D)")};
    for (int index = 0; index < centreCaptions.size(); ++index) {
        QAction* centre =
            addMenuItem(mnuEditTextCenter, "mnuEditTextCenterItem", centreCaptions[index]);
        centre->setProperty("Index", index);
        connect(centre, &QAction::triggered, this,
                [this, index] { mnuEditTextCenterItem_Click(index); });
    }

    QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    connect(addMenuItem(mnuHelp, "mnuHelpAbout", QStringLiteral("バージョン情報(&A)...")),
            &QAction::triggered, this, &frmMain::mnuHelpAbout_Click);
}

QToolBar* frmMain::buildToolBar(const QString& name, const QList<QStringList>& buttons) {
    auto* toolBar = new QToolBar(client_);
    toolBar->setObjectName(name);
    toolBar->setIconSize(QSize(ToolbarImages::Width, ToolbarImages::Height));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setFocusPolicy(Qt::TabFocus);
    for (const QStringList& button : buttons) {
        if (button.isEmpty()) {
            toolBar->addSeparator();
            continue;
        }
        // {key, image number, tooltip}
        QAction* action = toolBar->addAction(ToolbarImages::image(button[1].toInt()), QString());
        action->setObjectName(name + QLatin1Char('_') + button[0]);
        action->setProperty("Key", button[0]);
        action->setToolTip(button[2]);
    }
    connect(toolBar, &QToolBar::actionTriggered, this, [this, toolBar](QAction* action) {
        const QString key = action->property("Key").toString();
        if (toolBar == tbrFile_)
            tbrFile_ButtonClick(key);
        else
            tbrEdit_ButtonClick(key);
    });
    return toolBar;
}

void frmMain::buildBands() {
    cbrMenu_ = new BandContainer(client_);
    tbrFile_ = buildToolBar(QStringLiteral("tbrFile"),
                            {{"New", "1", QStringLiteral("ラベルの新規作成")},
                             {"Open", "2", QStringLiteral("ラベルを開く")},
                             {"Save", "3", QStringLiteral("ラベルの上書き保存")},
                             {},
                             {"Print", "4", QStringLiteral("ラベルの印刷")}});
    tbrEdit_ = buildToolBar(QStringLiteral("tbrEdit"),
                            {{"Open", "2", QStringLiteral("背景を開く")},
                             {"Fit", "8", QStringLiteral("背景を全体に合わせる")},
                             {},
                             {"Ins", "5", QStringLiteral("文字の挿入")},
                             {"Tracks", "9", QStringLiteral("曲目リストの挿入")},
                             {"Edit", "6", QStringLiteral("文字の編集")},
                             {"Del", "7", QStringLiteral("文字の削除")}});
    fsbZoom_ = new QScrollBar(Qt::Horizontal, client_);
    fsbZoom_->setObjectName(QStringLiteral("fsbZoom"));
    fsbZoom_->setRange(BackgroundScale::MinStep, BackgroundScale::MaxStep);
    fsbZoom_->setSingleStep(1);
    fsbZoom_->setPageStep(10);
    fsbZoom_->setValue(0);
    connect(fsbZoom_, &QScrollBar::valueChanged, this, &frmMain::fsbZoom_Change);
    connect(fsbZoom_, &QScrollBar::sliderPressed, this, [this] { ++zoomGesture_; });

    cbrMenu_->addBand(QStringLiteral("ファイル"), tbrFile_, px(1500), px(2340));
    cbrMenu_->addBand(QStringLiteral("編集"), tbrEdit_, px(1500), px(2535));
    cbrMenu_->addBand(QStringLiteral("背景拡大縮小"), fsbZoom_, px(3000), px(6300));
    connect(cbrMenu_, &BandContainer::heightChanged, this,
            [this](int height) { cbrMenu_HeightChanged(float(height)); });
}

// ---- Routing ------------------------------------------------------------------------------

void frmMain::tbrFile_ButtonClick(const QString& key) {
    if (key == QLatin1String("New"))
        mnuFileNew_Click();
    else if (key == QLatin1String("Open"))
        mnuFileOpen_Click();
    else if (key == QLatin1String("Save"))
        mnuFileSave_Click(0);
    else if (key == QLatin1String("Print"))
        mnuFilePrint_Click();
}

void frmMain::tbrEdit_ButtonClick(const QString& key) {
    if (key == QLatin1String("Open"))
        mnuEditBack_Click();
    else if (key == QLatin1String("Fit"))
        mnuEditBackFit_Click();
    else if (key == QLatin1String("Ins"))
        mnuEditTextIns_Click();
    else if (key == QLatin1String("Tracks"))
        mnuEditTracks_Click();
    else if (key == QLatin1String("Edit"))
        mnuEditTextEdit_Click();
    else if (key == QLatin1String("Del"))
        mnuEditTextDel_Click();
}

// Insert and Delete run their commands and still reach the focused control.
bool frmMain::Form_KeyDown(int key) {
    if (key != Qt::Key_Insert && key != Qt::Key_Delete)
        return false;
    if (key == Qt::Key_Insert)
        mnuEditTextIns_Click();
    else
        mnuEditTextDel_Click();
    refreshTitle();
    return false;
}

// On the focused label, the arrow keys move the selected item by half a millimetre, with Shift by
// five; a held key repeats.
bool frmMain::arrowKeyNudges(const QKeyEvent& key) {
    if (focusWidget() != picDoc_)
        return false;
    const float step = (key.modifiers() & Qt::ShiftModifier) ? 5.0f : 0.5f;
    float dx = 0, dy = 0;
    switch (key.key()) {
    case Qt::Key_Left:
        dx = -step;
        break;
    case Qt::Key_Right:
        dx = step;
        break;
    case Qt::Key_Up:
        dy = -step;
        break;
    case Qt::Key_Down:
        dy = step;
        break;
    default:
        return false;
    }
    return textCommands_->nudgeSelected(dx, dy, QDateTime::currentMSecsSinceEpoch());
}

// Enter runs the edit command and is swallowed.
bool frmMain::Form_KeyPress(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    mnuEditTextEdit_Click();
    refreshTitle();
    return true;
}

// After Alt (or F10) the menu bar has the keyboard, and an open menu has it too: Enter then
// chooses the highlighted item, and no key may run a command of the window instead.
bool frmMain::menuHasKeyboard() const {
    return QApplication::activePopupWidget() != nullptr || menuBar()->hasFocus();
}

// While a drag is under way the label belongs to it. Anything else the user does meanwhile (a key,
// the wheel, a menu or dialog opening, which takes the mouse) ends the drag first, as a right press
// does: what it moved goes back, and the rest of it is ignored. Then that input takes effect on
// the label as it was before the drag, so no command ever sees a half-made drag.
bool frmMain::interruptsDrag(QObject* watched, QEvent* event) const {
    switch (event->type()) {
    case QEvent::Show:
        return qobject_cast<QDialog*>(watched) || qobject_cast<QMenu*>(watched);
    case QEvent::Wheel:
        return true;
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta:
        case Qt::Key_CapsLock:
            return false;
        default:
            return true;
        }
    default:
        return false;
    }
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize) {
        Form_Resize();
        return false;
    }
    if (mouseEditing_ && mouseEditing_->dragging() && interruptsDrag(watched, event))
        mouseEditing_->cancelDrag();
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != this)
        return false;
    // A key that no control accepts travels up to the parents; it is handled once, at the first.
    // Key events are often built at one address, so a new key is told from a travelling one by
    // where it arrives: again where the last one did, or at the focused control (or window).
    QWidget* firstStop = focusWidget() ? focusWidget() : this;
    if (event == lastKeyEvent_ && lastKeyTarget_ && widget != lastKeyTarget_ &&
        widget != firstStop && widget->isAncestorOf(lastKeyTarget_))
        return false;
    lastKeyEvent_ = event;
    lastKeyTarget_ = widget;
    if (menuHasKeyboard())
        return false;
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    if (arrowKeyNudges(*keyEvent)) {
        keyEvent->accept();
        return true;
    }
    if (Form_KeyPress(keyEvent->key())) {
        keyEvent->accept();
        return true;
    }
    return Form_KeyDown(keyEvent->key());
}

// ---- Commands -----------------------------------------------------------------------------

void frmMain::mnuFileNew_Click() {
    documentCommands_->mnuFileNew_Click();
}
void frmMain::mnuFileOpen_Click() {
    documentCommands_->mnuFileOpen_Click();
}
void frmMain::mnuFileSave_Click(int index) {
    documentCommands_->mnuFileSave_Click(index);
}
void frmMain::mnuFilePrintSetup_Click() {
    printCommands_->mnuFilePrintSetup_Click();
}
void frmMain::mnuFilePrint_Click() {
    printCommands_->mnuFilePrint_Click();
}
void frmMain::mnuFileMerge_Click() {
    mergePrint_->mnuFileMerge_Click();
}
void frmMain::mnuFileExit_Click() {
    close();
}
void frmMain::mnuEditBack_Click() {
    backgroundCommands_->mnuEditBack_Click();
}
void frmMain::mnuEditBackFit_Click() {
    backgroundCommands_->mnuEditBackFit_Click();
}

void frmMain::mnuEditUndo_Click() {
    history_.undo();
}
void frmMain::mnuEditRedo_Click() {
    history_.redo();
}
void frmMain::mnuEditTextIns_Click() {
    textCommands_->mnuEditTextIns_Click();
}
void frmMain::mnuEditTracks_Click() {
    trackListCommands_->mnuEditTracks_Click();
}
void frmMain::mnuEditTextEdit_Click() {
    textCommands_->mnuEditTextEdit_Click();
}
void frmMain::mnuEditTextDel_Click() {
    textCommands_->mnuEditTextDel_Click();
}
void frmMain::mnuEditTextCenterItem_Click(int index) {
    textCommands_->mnuEditTextCenterItem_Click(index);
}
void frmMain::fsbZoom_Change() {
    backgroundCommands_->fsbZoom_Change(fsbZoom_->value(), QDateTime::currentMSecsSinceEpoch(),
                                        fsbZoom_->isSliderDown() ? zoomGesture_ : 0);
}

void frmMain::mnuHelpAbout_Click() {
    if (!about_)
        about_ = new frmAbout(this);
    platform_.showModal(about_);
}

void frmMain::picDoc_MouseDown(int button, int shift, float x, float y) {
    mouseEditing_->picDoc_MouseDown(button, shift, x, y);
}
void frmMain::picDoc_MouseMove(int button, int shift, float x, float y) {
    mouseEditing_->picDoc_MouseMove(button, shift, x, y);
}
void frmMain::picDoc_MouseUp(int button, int shift, float x, float y) {
    mouseEditing_->picDoc_MouseUp(button, shift, x, y);
}

// ---- Shut-down ----------------------------------------------------------------------------

void frmMain::closeEvent(QCloseEvent* event) {
    if (!Form_Unload()) {
        event->ignore();
        return;
    }
    event->accept();
}

// Returns false to keep the window open.
bool frmMain::Form_Unload() {
    // A cancelled save dialog or a failed save keeps the window and the changes.
    if (!documentCommands_->saveFirst(QStringLiteral("ラベルは変更されています。変更しますか？"),
                                      QStringLiteral("終了確認")))
        return false;
    if (!isMinimized())
        WindowPlacement::write(platform_, frameGeometry(), platform_.twipsPerPixel());
    closeDialogs();
    documentCommands_->removeTemporaryPicture();
    return true;
}

// The About box, then the print position, text settings and track list dialogs, each through its
// own close handler (the print dialog stores its offsets, the text dialog marks itself cancelled,
// the track list stops reading).
void frmMain::closeDialogs() {
    for (const char* name : {"frmAbout", "frmPrint", "frmText", "TrackListDialog"}) {
        for (QDialog* dialog : findChildren<QDialog*>(QLatin1String(name)))
            dialog->close();
    }
}

bool frmMain::openDocumentFile(const QString& path) {
    const bool opened = documentCommands_->openDocumentFile(path);
    refreshTitle();
    return opened;
}

// ---- Desktop habits -----------------------------------------------------------------------

void frmMain::installDesktopHabits() {
    MenuShortcuts::apply(*this);

    // The commands set LabelChanged; the title follows after each of them.
    for (QAction* action : findChildren<QAction*>())
        connect(action, &QAction::triggered, this, &frmMain::refreshTitle);
    connect(fsbZoom_, &QScrollBar::valueChanged, this, &frmMain::refreshTitle);
    connect(picDoc_, &LabelView::mouseUp, this, &frmMain::refreshTitle);

    auto* mnuFile = menuBar()->findChild<QMenu*>(QStringLiteral("mnuFile"));
    QAction* exit = mnuFile->findChild<QAction*>(QStringLiteral("mnuFileExit"));
    mnuFileRecent_ = new QMenu(QStringLiteral("最近使ったファイル(&R)"), mnuFile);
    mnuFileRecent_->setObjectName(QStringLiteral("mnuFileRecent"));
    mnuFileRecent_->menuAction()->setObjectName(QStringLiteral("mnuFileRecent"));
    mnuFile->insertMenu(exit, mnuFileRecent_);
    mnuFile->insertSeparator(exit)->setObjectName(QStringLiteral("mnuFileBar3"));
    recentFiles_ = std::make_unique<RecentFiles>(platform_);
    fillRecentMenu();

    dropHandler_ =
        new DropHandler(*this, {[this](const QString& path) { openDroppedDocument(path); },
                                [this](const QString& path) { openDroppedPicture(path); }});

    // A notch of the wheel moves the scroll bar as a click beside its thumb would.
    connect(picDoc_, &LabelView::wheelTurned, this, [this](int notches) {
        fsbZoom_->setValue(fsbZoom_->value() + notches * fsbZoom_->pageStep());
    });
    picDoc_->setHoverTest([this](QPointF mm) {
        return ItemHits::lowestItemAt(label_.document, float(mm.x()), float(mm.y())) >= 0;
    });
    connect(&history_, &LabelHistory::changed, this, &frmMain::refreshTitle);

    refreshTitle();
}

void frmMain::refreshTitle() {
    const QString path = label_.documentDialog.fileName;
    const QString name = path.isEmpty() ? QStringLiteral("無題") : QFileInfo(path).fileName();
    setWindowTitle(name + QStringLiteral("[*] - Gyroplatecomposer"));
    setWindowModified(label_.document.LabelChanged);
}

void frmMain::fillRecentMenu() {
    mnuFileRecent_->clear();
    const QStringList& paths = recentFiles_->paths();
    for (int index = 0; index < paths.size(); ++index) {
        QAction* entry = mnuFileRecent_->addAction(RecentFiles::caption(index, paths[index]));
        entry->setObjectName(QStringLiteral("mnuFileRecentItem"));
        entry->setProperty("Index", index);
        const QString path = paths[index];
        connect(entry, &QAction::triggered, this, [this, path] { openRecentFile(path); });
    }
    mnuFileRecent_->setEnabled(!paths.isEmpty());
}

// As Open does with the chosen file; a document that has gone is reported and forgotten.
void frmMain::openRecentFile(const QString& path) {
    if (documentCommands_->saveFirst() && !documentCommands_->openDocumentFile(path) &&
        !QFileInfo::exists(path)) {
        recentFiles_->remove(path);
        fillRecentMenu();
    }
    refreshTitle();
}

void frmMain::openDroppedDocument(const QString& path) {
    if (documentCommands_->saveFirst())
        documentCommands_->openDocumentFile(path);
    refreshTitle();
}

void frmMain::openDroppedPicture(const QString& path) {
    backgroundCommands_->openBackgroundFile(path);
    refreshTitle();
}
