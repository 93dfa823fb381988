#include "tracks/TrackListDialog.h"

#include "editing/SizeRule.h"
#include "editing/frmText.h"
#include "platform/audio/TagReader.h"
#include "platform/audio/TrackReader.h"
#include "tracklayout/TrackLines.h"
#include "tracks/TrackMessages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent>

namespace {
const QString Title = QStringLiteral("曲目リスト");
constexpr int LargestSizePoints = 99; // what the text dialog's two-digit size box takes
constexpr int RefreshWhileReadingMs = 30;

QString placeholderHelp() {
    return QStringLiteral("{{#}} 番号　{{track}} 曲番号　{{title}} 曲名　{{artist}} アーティスト　"
                          "{{album}} アルバム　{{time}} 時間");
}

QString fileFilter() {
    QStringList patterns;
    for (const QString& suffix : TagReader::audioSuffixes())
        patterns << QStringLiteral("*.") + suffix;
    patterns << QStringLiteral("*.m3u") << QStringLiteral("*.m3u8") << QStringLiteral("*.cue");
    return QStringLiteral("音声ファイル・プレイリスト・キューシート|") +
           patterns.join(QLatin1Char(';')) + QStringLiteral("|すべてのファイル|*");
}
} // namespace

TrackListDialog::TrackListDialog(Platform& platform, QWidget* parent)
    : QDialog(parent), platform_(platform) {
    setObjectName(QStringLiteral("TrackListDialog"));
    setWindowTitle(Title);
    setModal(true);
    filesDialog_.filter = fileFilter();
    refreshTimer_ = new QTimer(this);
    refreshTimer_->setSingleShot(true);
    refreshTimer_->setInterval(RefreshWhileReadingMs);
    connect(refreshTimer_, &QTimer::timeout, this, &TrackListDialog::refresh);
    buildControls();
    buildLayout();
    setStyle(TextStyle{platform_.defaultFontFamily(), 10, 0});
}

TrackListDialog::~TrackListDialog() {
    // The reading thread posts to this dialog: it must end before the dialog does.
    if (cancel_)
        *cancel_ = true;
    future_.waitForFinished();
}

void TrackListDialog::buildControls() {
    cmdFiles_ = new QPushButton(QStringLiteral("ファイル(&F)..."), this);
    cmdFiles_->setObjectName(QStringLiteral("cmdFiles"));
    cmdFolder_ = new QPushButton(QStringLiteral("フォルダ(&D)..."), this);
    cmdFolder_->setObjectName(QStringLiteral("cmdFolder"));
    prgReading_ = new QProgressBar(this);
    prgReading_->setObjectName(QStringLiteral("prgReading"));
    prgReading_->hide();
    cmdStop_ = new QPushButton(QStringLiteral("中止(&S)"), this);
    cmdStop_->setObjectName(QStringLiteral("cmdStop"));
    cmdStop_->hide();
    connect(cmdFiles_, &QPushButton::clicked, this, &TrackListDialog::chooseFiles);
    connect(cmdFolder_, &QPushButton::clicked, this, &TrackListDialog::chooseFolder);
    // The reading ends at the next file and reports itself stopped.
    connect(cmdStop_, &QPushButton::clicked, this, [this] {
        if (cancel_)
            *cancel_ = true;
    });

    lstTracks_ = new QTableWidget(0, ColumnState + 1, this);
    lstTracks_->setObjectName(QStringLiteral("lstTracks"));
    lstTracks_->setHorizontalHeaderLabels({QString(), QStringLiteral("番号"),
                                           QStringLiteral("曲名"), QStringLiteral("アーティスト"),
                                           QStringLiteral("時間"), QStringLiteral("状態")});
    lstTracks_->verticalHeader()->hide();
    lstTracks_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstTracks_->setEditTriggers(QAbstractItemView::DoubleClicked |
                                QAbstractItemView::EditKeyPressed |
                                QAbstractItemView::AnyKeyPressed);
    lstTracks_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    lstTracks_->horizontalHeader()->setSectionResizeMode(ColumnTitle, QHeaderView::Stretch);
    lstTracks_->setMinimumSize(520, 260);
    connect(lstTracks_, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem* item) { rowEdited(item->row(), item->column()); });

    lstProblems_ = new QListWidget(this);
    lstProblems_->setObjectName(QStringLiteral("lstProblems"));
    lstProblems_->setMaximumHeight(80);
    lstProblems_->hide();

    txtPattern_ = new QLineEdit(TrackLines::DefaultPattern, this);
    txtPattern_->setObjectName(QStringLiteral("txtPattern"));
    txtPattern_->setToolTip(placeholderHelp());
    connect(txtPattern_, &QLineEdit::textChanged, this, &TrackListDialog::refresh);

    cmbPlacement_ = new QComboBox(this);
    cmbPlacement_->setObjectName(QStringLiteral("cmbPlacement"));
    cmbPlacement_->addItem(QStringLiteral("一列"), int(TrackPlacement::Layout::OneColumn));
    cmbPlacement_->addItem(QStringLiteral("二列"), int(TrackPlacement::Layout::TwoColumns));
    cmbPlacement_->addItem(QStringLiteral("円弧"), int(TrackPlacement::Layout::Arc));
    connect(cmbPlacement_, &QComboBox::currentIndexChanged, this, &TrackListDialog::refresh);

    cmbFont_ = new QComboBox(this);
    cmbFont_->setObjectName(QStringLiteral("cmbFont"));
    cmbFont_->addItems(platform_.fontFamilies());
    txtSize_ = new QSpinBox(this);
    txtSize_->setObjectName(QStringLiteral("txtSize"));
    txtSize_->setRange(SizeRule::MinimumSizePoints, LargestSizePoints);
    cmbColor_ = new QComboBox(this);
    cmbColor_->setObjectName(QStringLiteral("cmbColor"));
    for (int color = 0; !frmText::colorName(color).isEmpty(); ++color)
        cmbColor_->addItem(frmText::colorName(color));
    connect(cmbFont_, &QComboBox::currentIndexChanged, this, &TrackListDialog::refresh);
    connect(txtSize_, &QSpinBox::valueChanged, this, &TrackListDialog::refresh);
    connect(cmbColor_, &QComboBox::currentIndexChanged, this, &TrackListDialog::refresh);

    chkTitle_ = new QCheckBox(QStringLiteral("アルバム名を見出しにする(&A)"), this);
    chkTitle_->setObjectName(QStringLiteral("chkTitle"));
    chkArtist_ = new QCheckBox(QStringLiteral("アーティスト名も入れる(&R)"), this);
    chkArtist_->setObjectName(QStringLiteral("chkArtist"));
    chkArtist_->setEnabled(false);
    chkReplace_ = new QCheckBox(QStringLiteral("保存できない文字を近い文字に置き換える(&N)"), this);
    chkReplace_->setObjectName(QStringLiteral("chkReplace"));
    connect(chkTitle_, &QCheckBox::toggled, chkArtist_, &QCheckBox::setEnabled);
    for (QCheckBox* box : {chkTitle_, chkArtist_, chkReplace_})
        connect(box, &QCheckBox::toggled, this, &TrackListDialog::refresh);

    lblStatus_ = new QLabel(this);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    lblStatus_->setWordWrap(true);

    cmdOk_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOk_->setObjectName(QStringLiteral("cmdOk"));
    cmdOk_->setDefault(true);
    cmdCancel_ = new QPushButton(QStringLiteral("キャンセル"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdOk_, &QPushButton::clicked, this, &TrackListDialog::cmdOk_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &TrackListDialog::cmdCancel_Click);
}

void TrackListDialog::buildLayout() {
    auto* sources = new QHBoxLayout;
    sources->addWidget(cmdFiles_);
    sources->addWidget(cmdFolder_);
    sources->addStretch(1);
    sources->addWidget(prgReading_);
    sources->addWidget(cmdStop_);

    auto* help = new QLabel(placeholderHelp(), this);
    help->setEnabled(false);
    auto* choices = new QGridLayout;
    choices->addWidget(new QLabel(QStringLiteral("書式"), this), 0, 0);
    choices->addWidget(txtPattern_, 0, 1, 1, 7);
    choices->addWidget(help, 1, 1, 1, 7);
    choices->addWidget(new QLabel(QStringLiteral("配置"), this), 2, 0);
    choices->addWidget(cmbPlacement_, 2, 1);
    choices->addWidget(new QLabel(QStringLiteral("フォント"), this), 2, 2);
    choices->addWidget(cmbFont_, 2, 3);
    choices->addWidget(new QLabel(QStringLiteral("サイズ"), this), 2, 4);
    choices->addWidget(txtSize_, 2, 5);
    choices->addWidget(new QLabel(QStringLiteral("色"), this), 2, 6);
    choices->addWidget(cmbColor_, 2, 7);
    choices->setColumnStretch(3, 1);

    auto* title = new QHBoxLayout;
    title->addWidget(chkTitle_);
    title->addWidget(chkArtist_);
    title->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblStatus_, 1);
    buttons->addWidget(cmdOk_);
    buttons->addWidget(cmdCancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(sources);
    layout->addWidget(lstTracks_, 1);
    layout->addWidget(lstProblems_);
    layout->addLayout(choices);
    layout->addLayout(title);
    layout->addWidget(chkReplace_);
    layout->addLayout(buttons);
}

// ---- Choices ------------------------------------------------------------------------------

void TrackListDialog::prepare(int room, double viewSidePx) {
    stopReading();
    room_ = room;
    viewSidePx_ = viewSidePx;
    confirmed_ = false;
    filling_ = true;
    rows_.clear();
    lstTracks_->setRowCount(0);
    filling_ = false;
    lstProblems_->clear();
    lstProblems_->hide();
    refresh();
}

void TrackListDialog::setStyle(const TextStyle& style) {
    const QSignalBlocker fonts(cmbFont_), sizes(txtSize_), colors(cmbColor_);
    const int font = cmbFont_->findText(style.fontName);
    if (font >= 0)
        cmbFont_->setCurrentIndex(font);
    txtSize_->setValue(style.sizePoints);
    if (style.color >= 0 && style.color < cmbColor_->count())
        cmbColor_->setCurrentIndex(style.color);
    refresh();
}

TextStyle TrackListDialog::style() const {
    return TextStyle{cmbFont_->currentText(), txtSize_->value(), cmbColor_->currentIndex()};
}

// ---- Reading ------------------------------------------------------------------------------

void TrackListDialog::chooseFiles() {
    QStringList chosen;
    if (platform_.showOpenFilesDialog(this, filesDialog_, chosen))
        readSources(chosen);
}

void TrackListDialog::chooseFolder() {
    if (platform_.showFolderDialog(this, folder_))
        readSources({folder_});
}

void TrackListDialog::readSources(const QStringList& paths) {
    prepare(room_, viewSidePx_);
    reading_ = true;
    cmdOk_->setEnabled(false);
    prgReading_->setRange(0, 0);
    prgReading_->show();
    cmdStop_->show();
    const int generation = ++generation_;
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    // Whatever the thread reports is handed to this thread; reports of a reading that was
    // replaced or stopped meanwhile are dropped here.
    const auto post = [this, generation](auto call) {
        QMetaObject::invokeMethod(
            this,
            [this, generation, call] {
                if (generation == generation_)
                    call();
            },
            Qt::QueuedConnection);
    };
    future_ = QtConcurrent::run([this, paths, post, cancel = cancel_] {
        TrackReader::Listener listener;
        listener.cancel = cancel.get();
        listener.track = [this, post](const AudioTrack& track) {
            post([this, track] { addTrack(track); });
        };
        listener.problem = [this, post](const ReadProblem& problem) {
            post([this, problem] { addProblem(problem); });
        };
        listener.progress = [this, post](int done, int total) {
            post([this, done, total] { showProgress(done, total); });
        };
        const bool cancelled = TrackReader::read(paths, listener).cancelled;
        post([this, cancelled] { finishReading(cancelled); });
    });
    refresh();
}

void TrackListDialog::stopReading() {
    if (cancel_)
        *cancel_ = true;
    future_.waitForFinished();
    ++generation_;
    reading_ = false;
    prgReading_->hide();
    cmdStop_->hide();
    cmdOk_->setEnabled(true);
}

void TrackListDialog::addTrack(const AudioTrack& track) {
    const auto at = std::upper_bound(rows_.begin(), rows_.end(), track,
                                     [](const AudioTrack& value, const Row& row) {
                                         return TrackOrder::before(value, row.track);
                                     });
    const int row = int(at - rows_.begin());
    rows_.insert(at, Row{track, true});
    filling_ = true;
    lstTracks_->insertRow(row);
    filling_ = false;
    fillRow(row);
    // Files arrive faster than the list is worth laying out again.
    if (!refreshTimer_->isActive())
        refreshTimer_->start();
}

void TrackListDialog::addProblem(const ReadProblem& problem) {
    lstProblems_->addItem(TrackMessages::japanese(problem));
    lstProblems_->show();
}

void TrackListDialog::showProgress(int done, int total) {
    prgReading_->setRange(0, total);
    prgReading_->setValue(done);
}

void TrackListDialog::finishReading(bool cancelled) {
    reading_ = false;
    prgReading_->hide();
    cmdStop_->hide();
    cmdOk_->setEnabled(true);
    if (cancelled) {
        lstProblems_->addItem(QStringLiteral("読み込みを中止しました。"));
        lstProblems_->show();
    }
    refreshTimer_->stop();
    refresh();
    emit readingFinished();
}

// ---- The list -----------------------------------------------------------------------------

void TrackListDialog::fillRow(int row) {
    const Row& entry = rows_[std::size_t(row)];
    filling_ = true;
    auto* include = new QTableWidgetItem;
    include->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    include->setCheckState(entry.included ? Qt::Checked : Qt::Unchecked);
    lstTracks_->setItem(row, ColumnInclude, include);
    const auto readOnly = [&](int column, const QString& text) {
        auto* cell = new QTableWidgetItem(text);
        cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        lstTracks_->setItem(row, column, cell);
    };
    readOnly(ColumnNumber, QString());
    auto* title = new QTableWidgetItem(entry.track.title);
    title->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    lstTracks_->setItem(row, ColumnTitle, title);
    readOnly(ColumnArtist, entry.track.artist);
    readOnly(ColumnTime,
             entry.track.seconds ? AudioTime::minutesSeconds(*entry.track.seconds) : QString());
    readOnly(ColumnState, QString());
    filling_ = false;
}

void TrackListDialog::rowEdited(int row, int column) {
    if (filling_ || row < 0 || row >= int(rows_.size()))
        return;
    Row& entry = rows_[std::size_t(row)];
    if (column == ColumnInclude)
        entry.included = lstTracks_->item(row, column)->checkState() == Qt::Checked;
    else if (column == ColumnTitle)
        entry.track.title = lstTracks_->item(row, column)->text();
    else
        return;
    refresh();
}

// Fills every included line, marks those that cannot be stored, and proposes the items.
void TrackListDialog::refresh() {
    const TextStyle chosen = style();
    const QString pattern = txtPattern_->text();
    const bool replace = chkReplace_->isChecked();
    const QStringList unknown = TrackLines::unknownNames(pattern);

    std::vector<AudioTrack> included;
    QStringList texts;
    int unstorable = 0;
    filling_ = true;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const int row = int(i);
        QTableWidgetItem* number = lstTracks_->item(row, ColumnNumber);
        QTableWidgetItem* state = lstTracks_->item(row, ColumnState);
        if (!number || !state)
            continue;
        if (!rows_[i].included) {
            number->setText(QString());
            state->setText(QString());
            continue;
        }
        included.push_back(rows_[i].track);
        const TrackLines::Line line = TrackLines::fill(
            pattern, rows_[i].track, int(included.size()), chosen.fontName, replace);
        texts << line.text;
        number->setText(QString::number(included.size()));
        if (!line.check.fine()) {
            ++unstorable;
            state->setText(TrackMessages::japanese(line.check));
            state->setForeground(Qt::red);
        } else {
            state->setText(TrackMessages::replacements(line.replacements));
            state->setForeground(palette().color(QPalette::Text));
        }
    }
    filling_ = false;

    QString title;
    QString titleProblem;
    if (chkTitle_->isChecked()) {
        const QString album = TrackLines::albumTitle(included, chkArtist_->isChecked());
        if (!album.isEmpty()) {
            const TrackLines::Line line = TrackLines::titleLine(album, chosen.fontName, replace);
            title = line.text;
            titleProblem = TrackMessages::japanese(line.check);
        }
    }
    const int count = int(included.size()) + (title.isEmpty() ? 0 : 1);

    if (included.empty())
        refusal_ = QStringLiteral("挿入する曲がありません。");
    else if (!unknown.isEmpty())
        refusal_ = QStringLiteral("書式の「{{%1}}」は使えません。").arg(unknown.first());
    else if (count > room_)
        refusal_ = QStringLiteral("文字はあと %1 個までしか挿入できません。%2 曲のチェックを外して"
                                  "ください。")
                       .arg(room_)
                       .arg(count - room_);
    else if (!titleProblem.isEmpty())
        refusal_ = QStringLiteral("見出しを保存できません。") + titleProblem;
    else if (unstorable > 0)
        refusal_ = QStringLiteral("保存できない行が %1 行あります。チェックを外すか、書式を変えて"
                                  "ください。")
                       .arg(unstorable);
    else
        refusal_.clear();

    QString status =
        refusal_.isEmpty() ? QStringLiteral("%1 行を挿入します。").arg(count) : refusal_;
    if (reading_)
        status = QStringLiteral("読み込み中です。") + status;
    lblStatus_->setText(status);

    const auto layout = TrackPlacement::Layout(cmbPlacement_->currentData().toInt());
    items_ = unknown.isEmpty() ? TrackPlacement::place(texts, title, layout, chosen, viewSidePx_)
                               : std::vector<TextItem>();
    emit previewChanged(items_);
}

// ---- Buttons ------------------------------------------------------------------------------

// Centred on the window, the dialog would hide the label that previews its lines: it opens at the
// window's left edge instead, leaving the right of the hub, where one column goes, in sight. Where
// the user moves it, it stays.
void TrackListDialog::showEvent(QShowEvent* event) {
    if (!placed_ && parentWidget()) {
        const QRect window = parentWidget()->window()->geometry();
        move(window.left(), window.top() + window.height() / 8);
        placed_ = true;
    }
    QDialog::showEvent(event);
}

void TrackListDialog::cmdOk_Click() {
    if (reading_)
        return;
    refreshTimer_->stop();
    refresh();
    if (!refusal_.isEmpty()) {
        platform_.showMessage(this, refusal_, Title, MessageButtons::Ok);
        return;
    }
    confirmed_ = true;
    hide();
}

void TrackListDialog::cmdCancel_Click() {
    stopReading();
    confirmed_ = false;
    hide();
}

void TrackListDialog::reject() {
    cmdCancel_Click();
    QDialog::reject();
}
