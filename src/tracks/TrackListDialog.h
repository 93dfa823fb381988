#pragma once

#include "document/TextItem.h"
#include "document/TextStyle.h"
#include "platform/Platform.h"
#include "platform/audio/AudioTrack.h"
#include "tracklayout/TrackPlacement.h"

#include <QDialog>
#include <QFuture>
#include <atomic>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;

// 曲目リスト: the tracks read from the chosen files, folder, playlist or cue sheet, a pattern for
// each line, where the lines go, and their font, size and colour. It never touches the document:
// it proposes items (previewChanged) and, once confirmed, hands them to its caller. Files are
// read on another thread; the list fills in order as they arrive.
class TrackListDialog : public QDialog {
    Q_OBJECT
public:
    enum Column { ColumnInclude, ColumnNumber, ColumnTitle, ColumnArtist, ColumnTime, ColumnState };

    TrackListDialog(Platform& platform, QWidget* parent);
    ~TrackListDialog() override;

    // A fresh list for a label with room for `room` more items, measured for a view of
    // viewSidePx. The pattern, layout, style and options stay as last used.
    void prepare(int room, double viewSidePx);
    void setStyle(const TextStyle& style);
    TextStyle style() const;

    // Reads the sources in the background, replacing the list.
    void readSources(const QStringList& paths);
    bool reading() const { return reading_; }
    void stopReading();

    // After the dialog closes: whether OK confirmed it, and the items it proposes.
    bool confirmed() const { return confirmed_; }
    const std::vector<TextItem>& items() const { return items_; }
    // How many tracks the list holds.
    int trackCount() const { return int(rows_.size()); }
    const AudioTrack& track(int row) const { return rows_[std::size_t(row)].track; }

    QPushButton* cmdFiles() const { return cmdFiles_; }
    QPushButton* cmdFolder() const { return cmdFolder_; }
    QPushButton* cmdStop() const { return cmdStop_; }
    QProgressBar* prgReading() const { return prgReading_; }
    QTableWidget* lstTracks() const { return lstTracks_; }
    QListWidget* lstProblems() const { return lstProblems_; }
    QLineEdit* txtPattern() const { return txtPattern_; }
    QComboBox* cmbPlacement() const { return cmbPlacement_; }
    QComboBox* cmbFont() const { return cmbFont_; }
    QSpinBox* txtSize() const { return txtSize_; }
    QComboBox* cmbColor() const { return cmbColor_; }
    QCheckBox* chkTitle() const { return chkTitle_; }
    QCheckBox* chkArtist() const { return chkArtist_; }
    QCheckBox* chkReplace() const { return chkReplace_; }
    QLabel* lblStatus() const { return lblStatus_; }
    QPushButton* cmdOk() const { return cmdOk_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

    void cmdOk_Click();
    void cmdCancel_Click();
    // Escape and the close box leave as キャンセル does.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

signals:
    // The items the dialog would insert now; empty when there are none.
    void previewChanged(const std::vector<TextItem>& items);
    void readingFinished();

private:
    struct Row {
        AudioTrack track;
        bool included = true;
    };

    void buildControls();
    void buildLayout();
    void chooseFiles();
    void chooseFolder();
    void addTrack(const AudioTrack& track);
    void addProblem(const ReadProblem& problem);
    void showProgress(int done, int total);
    void finishReading(bool cancelled);
    void fillRow(int row);
    void rowEdited(int row, int column);
    void refresh();

    Platform& platform_;
    FileDialogState filesDialog_;
    QString folder_;
    int room_ = 0;
    double viewSidePx_ = 500;
    std::vector<Row> rows_;
    std::vector<TextItem> items_;
    bool confirmed_ = false;
    bool filling_ = false; // the table is being filled by the dialog, not edited by the user
    QString refusal_;      // why OK cannot insert the list as it stands; empty when it can
    bool placed_ = false;

    bool reading_ = false;
    int generation_ = 0; // results of an earlier reading are dropped
    std::shared_ptr<std::atomic<bool>> cancel_;
    QFuture<void> future_;
    QTimer* refreshTimer_ = nullptr;

    QPushButton* cmdFiles_ = nullptr;
    QPushButton* cmdFolder_ = nullptr;
    QProgressBar* prgReading_ = nullptr;
    QPushButton* cmdStop_ = nullptr;
    QTableWidget* lstTracks_ = nullptr;
    QListWidget* lstProblems_ = nullptr;
    QLineEdit* txtPattern_ = nullptr;
    QComboBox* cmbPlacement_ = nullptr;
    QComboBox* cmbFont_ = nullptr;
    QSpinBox* txtSize_ = nullptr;
    QComboBox* cmbColor_ = nullptr;
    QCheckBox* chkTitle_ = nullptr;
    QCheckBox* chkArtist_ = nullptr;
    QCheckBox* chkReplace_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QPushButton* cmdOk_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};
