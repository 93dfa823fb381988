// The track list from lines to items: the pattern filled and checked against the document's
// record, the columns placed beside the hub, and the dialog and its command on a surface without a
// window: the list in order, the preview, one undo step, the item limit and unstorable lines.
#include "commands/LabelHistory.h"
#include "document/DiscFrame.h"
#include "editing/TextCommands.h"
#include "editing/frmText.h"
#include "support/AudioFiles.h"
#include "support/FakeSurface.h"
#include "support/ScriptedPlatform.h"
#include "tracklayout/TrackLines.h"
#include "tracklayout/TrackPlacement.h"
#include "tracks/TrackListCommands.h"
#include "view/DiscRangeCheck.h"
#include "tracks/TrackListDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using Kind = TrackLines::Check::Kind;
using Layout = TrackPlacement::Layout;

namespace {

const QString Font = QStringLiteral("IPAGothic");

AudioTrack track(const QString& title, const QString& artist, std::optional<double> seconds) {
    AudioTrack made;
    made.title = title;
    made.artist = artist;
    made.album = QStringLiteral("Al");
    made.track = 7;
    made.seconds = seconds;
    return made;
}

TextItem filler(int index) {
    TextItem item;
    item.Text = QStringLiteral("既存%1").arg(index);
    item.FontName = Font;
    item.Size = 10;
    return item;
}

QStringList column(const QTableWidget* table, int column) {
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row)
        texts << table->item(row, column)->text();
    return texts;
}

void untick(QTableWidget* table, int row) {
    table->item(row, TrackListDialog::ColumnInclude)->setCheckState(Qt::Unchecked);
}

} // namespace

class TestTrackList : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void linesFromPattern_data();
    void linesFromPattern();
    void placesBesideTheHub_data();
    void placesBesideTheHub();

    void insertsTheListAsOneStep();
    void refusesPastTheItemLimit();
    void refusesUnstorableLines();
    void fullLabelRefusesAtOnce();

private:
    // Runs the command; `drive` gets the dialog once it has read `source`.
    void runCommand(const QString& source, const std::function<void(TrackListDialog&)>& drive);

    QTemporaryDir temporary_;
    std::unique_ptr<ScriptedPlatform> platform_;
    std::unique_ptr<OpenLabel> label_;
    FakeSurface surface_;
    std::unique_ptr<LabelHistory> history_;
    std::unique_ptr<TextCommands> textCommands_;
    std::unique_ptr<TrackListCommands> commands_;
};

void TestTrackList::initTestCase() {
    QVERIFY(temporary_.isValid());
    QDir dir(temporary_.path());
    QVERIFY(dir.mkpath("album") && dir.mkpath("odd"));
    using AudioFiles::Format;
    const QString album = QStringLiteral("夏のドライブ");
    const struct {
        const char* name;
        Format format;
        double seconds;
        AudioFiles::Tags tags;
    } files[] = {
        {"album/1.flac",
         Format::Flac,
         221,
         {QStringLiteral("海へ続く道"), "A", album, {}, "1", {}}},
        {"album/2.mp3", Format::Mp3, 3, {"Blue Horizon", "A", album, {}, "2", {}}},
        {"album/3.ogg",
         Format::OggVorbis,
         4,
         {QStringLiteral("夕焼けの約束"), "A", album, {}, "3", {}}},
        {"album/4.opus", Format::Opus, 5, {"Night Cruise", "A", album, {}, "4", {}}},
        {"album/5.wav", Format::Wav, 6, {"Home", "A", album, {}, "5", {}}},
        {"odd/Café.wav", Format::Wav, 1, {}},
        {"odd/snow.wav", Format::Wav, 2, {QStringLiteral("☃ Snow"), {}, {}, {}, "2", {}}},
    };
    for (const auto& file : files)
        QVERIFY(AudioFiles::write(dir.filePath(QString::fromUtf8(file.name)), file.format,
                                  file.seconds, file.tags));
}

void TestTrackList::init() {
    platform_ = std::make_unique<ScriptedPlatform>();
    platform_->fonts = {Font, QStringLiteral("IPAMincho")};
    platform_->defaultFont = Font;
    label_ = std::make_unique<OpenLabel>();
    surface_ = FakeSurface();
    history_ = std::make_unique<LabelHistory>(*label_);
    const LabelContext context{*platform_, nullptr, *label_, surface_};
    textCommands_ = std::make_unique<TextCommands>(context, *history_);
    commands_ = std::make_unique<TrackListCommands>(context, *history_, *textCommands_);
}

void TestTrackList::cleanup() {
    QVERIFY2(platform_->unexpected.isEmpty(), qPrintable(platform_->unexpected.join(", ")));
    commands_.reset();
    textCommands_.reset();
}

// ---- Lines --------------------------------------------------------------------------------

void TestTrackList::linesFromPattern_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<AudioTrack>("source");
    QTest::addColumn<bool>("replace");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("detail");

    const AudioTrack plain = track(QStringLiteral("海へ続く道"), "A", 221.4);
    QTest::newRow("default pattern") << TrackLines::DefaultPattern << plain << false
                                     << QStringLiteral("3. 海へ続く道") << int(Kind::Fine) << "";
    QTest::newRow("every field") << "{{#}}/{{track}} {{ title }} - {{artist}} [{{album}}] {{time}}"
                                 << plain << false << QStringLiteral("3/7 海へ続く道 - A [Al] 3:41")
                                 << int(Kind::Fine) << "";
    QTest::newRow("no artist") << "{{title}} / {{artist}}" << track("T", "", 60) << false << "T / "
                               << int(Kind::Missing) << "artist";
    QTest::newRow("no time") << "{{title}} ({{time}})" << track("T", "A", std::nullopt) << false
                             << "T ()" << int(Kind::Missing) << "time";
    QTest::newRow("outside code page 932")
        << TrackLines::DefaultPattern << track(QStringLiteral("Café"), "", 1) << false
        << QStringLiteral("3. Café") << int(Kind::NotCp932) << QStringLiteral("é");
    QTest::newRow("replaced when asked")
        << TrackLines::DefaultPattern << track(QStringLiteral("Café ﬁx"), "", 1) << true
        << "3. Cafe fix" << int(Kind::Fine) << "";
    QTest::newRow("no nearest form")
        << TrackLines::DefaultPattern << track(QStringLiteral("Café ☃"), "", 1) << true
        << QStringLiteral("3. Cafe ☃") << int(Kind::NotCp932) << QStringLiteral("☃");
    QTest::newRow("stored quote kept")
        << TrackLines::DefaultPattern << track(QStringLiteral("Don’t"), "", 1) << true
        << QStringLiteral("3. Don’t") << int(Kind::Fine) << "";
    QTest::newRow("line break in a tag") << TrackLines::DefaultPattern << track("a\nb", "", 1)
                                         << false << "3. a\nb" << int(Kind::LineBreak) << "";
    // "3. " and 44 two-byte characters take 91 bytes, the font's name 9: the record is full.
    const QString full = QString(44, QChar(u'あ'));
    QTest::newRow("record full") << TrackLines::DefaultPattern << track(full, "", 1) << false
                                 << QStringLiteral("3. ") + full << int(Kind::Fine) << "";
    QTest::newRow("one byte too long")
        << TrackLines::DefaultPattern << track(full + "a", "", 1) << false
        << QStringLiteral("3. ") + full + "a" << int(Kind::TooLong) << "101/100";
}

void TestTrackList::linesFromPattern() {
    QFETCH(QString, pattern);
    QFETCH(AudioTrack, source);
    QFETCH(bool, replace);
    QFETCH(QString, text);
    QFETCH(int, kind);
    QFETCH(QString, detail);
    const TrackLines::Line line = TrackLines::fill(pattern, source, 3, Font, replace);
    QCOMPARE(line.text, text);
    QCOMPARE(int(line.check.kind), kind);
    if (line.check.kind == Kind::TooLong)
        QCOMPARE(QStringLiteral("%1/%2").arg(line.check.bytes).arg(line.check.limit), detail);
    else
        QCOMPARE(line.check.detail, detail);
    QCOMPARE(TrackLines::unknownNames(pattern + "{{titel}}{{#}}{{titel}}"), QStringList{"titel"});
}

// ---- Placement ----------------------------------------------------------------------------

void TestTrackList::placesBesideTheHub_data() {
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("title");
    QTest::newRow("one column of twelve") << int(Layout::OneColumn) << 12 << "";
    QTest::newRow("two columns of five") << int(Layout::TwoColumns) << 5 << "";
    QTest::newRow("two columns under a title")
        << int(Layout::TwoColumns) << 16 << QStringLiteral("夏のドライブ / A");
    QTest::newRow("arcs from the outer ring inward") << int(Layout::Arc) << 8 << "";
}

void TestTrackList::placesBesideTheHub() {
    QFETCH(int, layout);
    QFETCH(int, lines);
    QFETCH(QString, title);
    QStringList texts;
    for (int i = 1; i <= lines; ++i)
        texts << QStringLiteral("%1. %2").arg(i).arg(QString(i, QChar(u'曲')));
    const TextStyle style{Font, 11, 15};
    const std::vector<TextItem> items =
        TrackPlacement::place(texts, title, Layout(layout), style, 500);
    if (Layout(layout) == Layout::Arc) {
        // The bottom of the disc first, each line on a smaller circle, then the top; every line
        // on the printable ring.
        QCOMPARE(items.size(), std::size_t(lines));
        for (std::size_t k = 0; k < items.size(); ++k) {
            const TextLayout& arc = items[k].layout;
            QCOMPARE(arc.kind, TextLayoutKind::Arc);
            if (k > 0 && arc.angleDeg == items[k - 1].layout.angleDeg)
                QVERIFY(arc.radiusMm < items[k - 1].layout.radiusMm);
        }
        QCOMPARE(items.front().layout.angleDeg, 180.0f);
        QCOMPARE(items.back().layout.angleDeg, 0.0f);
        LabelDocument label;
        label.TextItems = items;
        QVERIFY(DiscRangeCheck::check(label).empty());
        return;
    }
    const std::size_t first = title.isEmpty() ? 0 : 1;
    QCOMPARE(items.size(), std::size_t(lines) + first);
    const double hub = DiscFrame::disc().innerGuideRadiusMm;
    const double centre = DiscFrame::CentreMm.x();
    if (!title.isEmpty()) {
        const TextItem& heading = items[0];
        QCOMPARE(heading.Text, title);
        QCOMPARE(heading.Size, 22);
        QVERIFY(qAbs(heading.Left + heading.Width / 2 - centre) < 1e-3);
        QVERIFY(items[1].Top > heading.Top + heading.Height);
    }
    const std::size_t leftCount = Layout(layout) == Layout::TwoColumns ? (lines + 1) / 2 : 0;
    float leftRight = 0, step = 0;
    for (std::size_t k = 0; k < std::size_t(lines); ++k) {
        const TextItem& item = items[first + k];
        QCOMPARE(item.Text, texts[int(k)]);
        QCOMPARE(item.Size, 11);
        QCOMPARE(item.Color, 15);
        QCOMPARE(item.FontName, Font);
        QVERIFY(item.Width > 0 && item.Height > 0);
        const bool left = k < leftCount;
        const std::size_t row = left ? k : k - leftCount;
        const TextItem& rowStart = items[first + (left ? 0 : leftCount)];
        if (row == 1)
            step = item.Top - rowStart.Top;
        if (row > 0)
            QVERIFY(qAbs(item.Top - rowStart.Top - float(row) * step) < 1e-3);
        if (left) {
            QCOMPARE(item.Left, items[first].Left);
            leftRight = std::max(leftRight, item.Left + item.Width);
        } else {
            QCOMPARE(item.Left, float(centre + hub + 1));
        }
    }
    if (leftCount > 0)
        QVERIFY(qAbs(leftRight - float(centre - hub - 1)) < 1e-3);
    if (title.isEmpty()) { // the block is centred down the disc
        const TextItem& top = items[first];
        const std::size_t rows = std::max(leftCount, std::size_t(lines) - leftCount);
        const TextItem& bottom = items[first + rows - 1];
        QVERIFY(qAbs((top.Top + bottom.Top + bottom.Height) / 2 - DiscFrame::CentreMm.y()) < 1e-3);
    }
}

// ---- The dialog and its command -----------------------------------------------------------

void TestTrackList::runCommand(const QString& source,
                               const std::function<void(TrackListDialog&)>& drive) {
    platform_->fileAnswers.push_back(QDir(temporary_.path()).filePath(source));
    platform_->modalActions.push_back([drive](QDialog* shown) {
        auto* dialog = qobject_cast<TrackListDialog*>(shown);
        QVERIFY(dialog);
        QSignalSpy finished(dialog, &TrackListDialog::readingFinished);
        QTest::mouseClick(dialog->cmdFolder(), Qt::LeftButton);
        QVERIFY(finished.wait(10000));
        drive(*dialog);
    });
    commands_->mnuEditTracks_Click();
}

void TestTrackList::insertsTheListAsOneStep() {
    // The text last inserted sets the list's font, size and colour.
    platform_->modalActions.push_back([](QDialog* shown) {
        auto* text = qobject_cast<frmText*>(shown);
        text->txtText()->setText(QStringLiteral("夏"));
        text->setFontName(QStringLiteral("IPAMincho"));
        text->setSizeText(QStringLiteral("12"));
        text->setColorIndex(3);
        QTest::mouseClick(text->cmdOk(), Qt::LeftButton);
    });
    textCommands_->mnuEditTextIns_Click();
    LabelDocument& document = label_->document;
    QCOMPARE(document.itemCount(), 1);
    const LabelDocument before = document;

    std::vector<TextItem> proposed;
    runCommand("album", [&](TrackListDialog& dialog) {
        QCOMPARE(dialog.style(), (TextStyle{QStringLiteral("IPAMincho"), 12, 3}));
        QTableWidget* list = dialog.lstTracks();
        QCOMPARE(column(list, TrackListDialog::ColumnTitle),
                 QStringList({QStringLiteral("海へ続く道"), "Blue Horizon",
                              QStringLiteral("夕焼けの約束"), "Night Cruise", "Home"}));
        QCOMPARE(column(list, TrackListDialog::ColumnTime),
                 QStringList({"3:41", "0:03", "0:04", "0:05", "0:06"}));
        QCOMPARE(surface_.previewItems.size(), std::size_t(5));
        QCOMPARE(surface_.previewItems[0].Text, QStringLiteral("1. 海へ続く道"));

        dialog.txtPattern()->setText(QStringLiteral("{{#}}. {{title}} ({{time}})"));
        dialog.cmbPlacement()->setCurrentIndex(1);
        list->item(1, TrackListDialog::ColumnTitle)->setText(QStringLiteral("青い水平線"));
        dialog.chkTitle()->setChecked(true);
        dialog.chkArtist()->setChecked(true);
        QCOMPARE(surface_.previewItems.size(), std::size_t(6));
        QCOMPARE(surface_.previewItems[0].Text, QStringLiteral("夏のドライブ / A"));
        QCOMPARE(surface_.previewItems[2].Text, QStringLiteral("2. 青い水平線 (0:03)"));
        QVERIFY(surface_.previewItems[1].Left < surface_.previewItems[4].Left);
        // Only previewed: the document is as it was until OK.
        QVERIFY(document == before);
        proposed = surface_.previewItems;
        QTest::mouseClick(dialog.cmdOk(), Qt::LeftButton);
    });

    QVERIFY(surface_.previewItems.empty());
    QCOMPARE(document.itemCount(), 7);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(document.item(1 + i), proposed[std::size_t(i)]);
    QCOMPARE(history_->count(), 2);
    QCOMPARE(history_->undoText(), QStringLiteral("曲目リストの挿入"));
    history_->undo();
    QCOMPARE(document.itemCount(), 1);
    history_->redo();
    QCOMPARE(document.itemCount(), 7);
    QCOMPARE(document.item(6), proposed[5]);
}

void TestTrackList::refusesPastTheItemLimit() {
    LabelDocument& document = label_->document;
    for (int i = 0; i < MaxTextItems - 3; ++i)
        document.insertItem(i, filler(i));
    runCommand("album", [&](TrackListDialog& dialog) {
        QTest::mouseClick(dialog.cmdOk(), Qt::LeftButton);
        QCOMPARE(platform_->lastMessageText(),
                 QStringLiteral("文字はあと 3 個までしか挿入できません。2 曲のチェックを外して"
                                "ください。"));
        QVERIFY(dialog.isVisible());
        untick(dialog.lstTracks(), 0);
        untick(dialog.lstTracks(), 4);
        QCOMPARE(column(dialog.lstTracks(), TrackListDialog::ColumnNumber),
                 QStringList({"", "1", "2", "3", ""}));
        QTest::mouseClick(dialog.cmdOk(), Qt::LeftButton);
    });
    QCOMPARE(platform_->messages.size(), 1);
    QCOMPARE(document.itemCount(), MaxTextItems);
    QCOMPARE(document.item(MaxTextItems - 3).Text, QStringLiteral("1. Blue Horizon"));
}

void TestTrackList::refusesUnstorableLines() {
    runCommand("odd", [&](TrackListDialog& dialog) {
        QTableWidget* list = dialog.lstTracks();
        // The numbered file first, then the one titled by its name.
        QCOMPARE(column(list, TrackListDialog::ColumnState),
                 QStringList({QStringLiteral("保存できない文字「☃」が含まれています。"),
                              QStringLiteral("保存できない文字「é」が含まれています。")}));
        QTest::mouseClick(dialog.cmdOk(), Qt::LeftButton);
        QCOMPARE(platform_->lastMessageText(),
                 QStringLiteral("保存できない行が 2 行あります。チェックを外すか、書式を変えて"
                                "ください。"));
        dialog.chkReplace()->setChecked(true);
        QCOMPARE(column(list, TrackListDialog::ColumnState),
                 QStringList({QStringLiteral("保存できない文字「☃」が含まれています。"),
                              QStringLiteral("置き換え: é→e")}));
        QTest::mouseClick(dialog.cmdOk(), Qt::LeftButton);
        QCOMPARE(platform_->messages.size(), 2);
        untick(list, 0);
        QTest::mouseClick(dialog.cmdOk(), Qt::LeftButton);
    });
    QCOMPARE(label_->document.itemCount(), 1);
    QCOMPARE(label_->document.item(0).Text, QStringLiteral("1. Cafe"));
}

void TestTrackList::fullLabelRefusesAtOnce() {
    for (int i = 0; i < MaxTextItems; ++i)
        label_->document.insertItem(i, filler(i));
    commands_->mnuEditTracks_Click();
    QCOMPARE(platform_->lastMessageText(), QStringLiteral("文字は100個までしか挿入できません。"));
    QVERIFY(platform_->modalsShown.isEmpty());
}

QTEST_MAIN(TestTrackList)
#include "test_track_list.moc"
