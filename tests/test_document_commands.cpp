// New, Open, Save and Save As through the real commands, answered by the scripted platform.
#include "document/LabelFileCodec.h"
#include "document/LabelFileStore.h"
#include "mainwindow/frmMain.h"
#include "platform/QtPlatform.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "view/widgets/LabelView.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <optional>
#include <sys/stat.h>
#include <tuple>

namespace {
const QString SavePrompt = QStringLiteral("ラベルは変更されています。保存しますか？");
const QString NotALabel = QStringLiteral("Gyroplatecomposer のファイルではありません。");
const QString SaveFailed = QStringLiteral("ラベルを保存できませんでした。");
const QString Damaged = QStringLiteral("ファイルが壊れているため開けませんでした。");
const QString Unreadable = QStringLiteral("ファイルを読み込めませんでした。");

using TestFiles::readAll;

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A PNG of one colour, written to a file; returns its bytes.
QByteArray writePng(const QString& path, QColor color, QSize size = QSize(300, 200)) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    image.save(path, "PNG");
    return readAll(path);
}

TextItem item(const QString& text, float left, float top) {
    return TextItem{text, left, top, 20, 8, 24, 4, QStringLiteral("IPAGothic")};
}
} // namespace

class DocumentCommandsTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    QString path(const QString& name) const { return folder_.filePath(name); }

    // A window with one item and a changed document.
    static void addItem(frmMain& window, const QString& text) {
        LabelDocument& document = window.document();
        document.TextItems.push_back(item(text, 10, 10));
        document.LabelChanged = true;
    }

    // Gives the window a background picture chosen from a file, as the picture command does.
    static void chooseBackground(frmMain& window, const QString& file) {
        window.backgroundDialog().fileName = file;
        window.setBackgroundPicture(window.platform().loadPicture(file, nullptr));
        window.document().BackLeft = window.document().BackTop = 0;
        window.document().BackWidth = window.document().BackHeight = 122;
    }

private slots:
    void saveAsksForANameOnlyWhenUntitled() {
        ScriptedPlatform platform;
        frmMain window(platform);
        addItem(window, QStringLiteral("題名"));
        const QString target = path("first.gpc");
        platform.fileAnswers = {target};
        window.mnuFileSave_Click(0);
        QCOMPARE(platform.fileDialogs.size(), 1);
        QVERIFY(platform.fileDialogs[0].save);
        QCOMPARE(platform.fileDialogs[0].filter, QStringLiteral("Gyroplatecomposer Files|*.gpc"));
        QVERIFY(platform.fileDialogs[0].fileName.isEmpty());
        QCOMPARE(window.documentDialog().fileName, target);
        QVERIFY(!window.document().LabelChanged);
        QCOMPARE(LabelFileStore::load(target).file->document.item(0).Text, QStringLiteral("題名"));

        // Titled: written at once, no dialog, no question.
        addItem(window, QStringLiteral("二つ目"));
        window.mnuFileSave_Click(0);
        QCOMPARE(platform.fileDialogs.size(), 1);
        QVERIFY(platform.messages.isEmpty());
        QCOMPARE(LabelFileStore::load(target).file->document.itemCount(), 2);

        // Save As always asks, pre-filled; cancelling keeps the name and the mark.
        addItem(window, QStringLiteral("三つ目"));
        platform.fileAnswers = {std::nullopt};
        window.mnuFileSave_Click(1);
        QCOMPARE(platform.fileDialogs.size(), 2);
        QCOMPARE(platform.fileDialogs[1].fileName, target);
        QCOMPARE(window.documentDialog().fileName, target);
        QVERIFY(window.document().LabelChanged);
        QCOMPARE(LabelFileStore::load(target).file->document.itemCount(), 2);

        // A name typed without extension is used as typed.
        platform.fileAnswers = {path("noextension")};
        window.mnuFileSave_Click(1);
        QVERIFY(QFileInfo::exists(path("noextension")));
        QVERIFY(!window.document().LabelChanged);
        QVERIFY(platform.unexpected.isEmpty());
    }

    void newAskedFirstAndKeepsPlacement() {
        ScriptedPlatform platform;
        frmMain window(platform);
        const QString picture = path("new-bg.png");
        writePng(picture, Qt::green);
        chooseBackground(window, picture);
        window.setScaleStep(50);
        window.document().BackLeft = 3;
        addItem(window, QStringLiteral("消える"));
        window.document().SelectedText = 0;

        // Yes on an untitled document, then the save dialog cancelled: nothing happens.
        platform.messageAnswers = {MessageAnswer::Yes};
        platform.fileAnswers = {std::nullopt};
        window.mnuFileNew_Click();
        QCOMPARE(platform.messages.size(), 1);
        QCOMPARE(platform.messages[0].text, SavePrompt);
        QCOMPARE(platform.messages[0].title, QStringLiteral("確認"));
        QCOMPARE(platform.messages[0].buttons, MessageButtons::YesNoCancel);
        QCOMPARE(window.document().itemCount(), 1);
        QVERIFY(window.document().LabelChanged);
        QVERIFY(!window.backgroundPicture().isEmpty());

        // Cancel: nothing either.
        platform.messageAnswers = {MessageAnswer::Cancel};
        window.mnuFileNew_Click();
        QCOMPARE(window.document().itemCount(), 1);

        // No: the changes go, placement and scale step stay.
        platform.messageAnswers = {MessageAnswer::No};
        window.mnuFileNew_Click();
        QCOMPARE(window.document().itemCount(), 0);
        QCOMPARE(window.document().SelectedText, -1);
        QVERIFY(!window.document().LabelChanged);
        QVERIFY(window.backgroundPicture().isEmpty());
        QVERIFY(window.backgroundDialog().fileName.isEmpty());
        QVERIFY(window.documentDialog().fileName.isEmpty());
        QCOMPARE(window.document().BackLeft, 3.0f);
        QCOMPARE(window.scaleStep(), 50);
        QCOMPARE(window.windowTitle(), QStringLiteral("無題[*] - Gyroplatecomposer"));
        QVERIFY(platform.unexpected.isEmpty());
    }

    void openCancelledAtThePromptShowsNoDialog() {
        ScriptedPlatform platform;
        frmMain window(platform);
        addItem(window, QStringLiteral("残る"));
        platform.messageAnswers = {MessageAnswer::Cancel};
        window.mnuFileOpen_Click();
        QVERIFY(platform.fileDialogs.isEmpty());
        QCOMPARE(window.document().itemCount(), 1);
        QVERIFY(window.document().LabelChanged);
    }

    void foreignAndDamagedFilesAreRefusedAndTheDocumentStays() {
        ScriptedPlatform platform;
        frmMain window(platform);
        const QString own = path("own.gpc");
        addItem(window, QStringLiteral("自分"));
        platform.fileAnswers = {own};
        window.mnuFileSave_Click(0);
        addItem(window, QStringLiteral("未保存"));

        QByteArray damaged = readAll(own);
        damaged[384] = char(101); // TextCount 101
        const QString fifo = path("fifo.gpc");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        // {file, bytes written to it first (none for the special files), message}
        const std::tuple<QString, std::optional<QByteArray>, QString> refused[] = {
            {path("foreign.gpc"), QByteArray("plain text, not a label\n"), NotALabel},
            {path("foreign.gpc"), QByteArray(), NotALabel},
            {path("foreign.gpc"), damaged, Damaged},
            {path("foreign.gpc"), readAll(own).left(700), Damaged}, // cut inside the items
            {path("gone.gpc"), std::nullopt,
             Unreadable + QStringLiteral("\n「%1」が見つかりません。移動または削除された可能性が"
                                         "あります。")
                              .arg(path("gone.gpc"))},
            {fifo, std::nullopt, NotALabel},
            {QStringLiteral("/dev/zero"), std::nullopt, NotALabel},
        };
        for (const auto& [file, bytes, message] : refused) {
            if (bytes)
                writeAll(file, *bytes);
            platform.messages.clear();
            platform.messageAnswers = {MessageAnswer::No};
            platform.fileAnswers = {file};
            window.mnuFileOpen_Click();
            QCOMPARE(platform.messages.size(), 2);
            QCOMPARE(platform.messages[1].text, message);
            QCOMPARE(platform.messages[1].title, QStringLiteral("エラー"));
            QCOMPARE(platform.messages[1].buttons, MessageButtons::Ok);
            QCOMPARE(window.document().itemCount(), 2);
            QCOMPARE(window.document().item(1).Text, QStringLiteral("未保存"));
            QVERIFY(window.document().LabelChanged);
            // The refused file does not become the target of the next Save.
            QCOMPARE(window.documentDialog().fileName, own);
        }
        QVERIFY(platform.unexpected.isEmpty());
    }

    void roundTripWithPictureZoomDragAndSelection() {
        ScriptedPlatform platform;
        frmMain window(platform);
        window.show();
        window.resize(700, 700);
        const QString picture = path("round.png");
        const QByteArray pictureBytes = writePng(picture, QColor(10, 200, 30), QSize(600, 500));
        chooseBackground(window, picture);
        window.setScaleStep(37);
        window.document().BackLeft = 4.5f;
        window.document().BackTop = 7.25f;
        addItem(window, QStringLiteral("①㈱～髙"));
        addItem(window, QStringLiteral("Latin"));
        window.document().SelectedText = 1;
        const LabelDocument before = window.document();
        const QString target = path("round.gpc");
        platform.fileAnswers = {target};
        window.mnuFileSave_Click(1);

        ScriptedPlatform otherPlatform;
        frmMain reopened(otherPlatform);
        otherPlatform.fileAnswers = {target};
        reopened.mnuFileOpen_Click();
        const LabelDocument& after = reopened.document();
        QCOMPARE(reopened.scaleStep(), 37);
        QCOMPARE(after.BackLeft, before.BackLeft);
        QCOMPARE(after.BackTop, before.BackTop);
        QCOMPARE(after.BackWidth, before.BackWidth);
        QCOMPARE(after.BackHeight, before.BackHeight);
        QCOMPARE(after.itemCount(), 2);
        QCOMPARE(after.SelectedText, 1);
        QCOMPARE(after.item(0), before.item(0));
        QCOMPARE(after.item(1), before.item(1));
        QVERIFY(!after.LabelChanged);
        QCOMPARE(reopened.documentDialog().fileName, target);
        // The picture lives in the temporary picture file, exactly as embedded.
        const QString temporary = reopened.backgroundDialog().fileName;
        QVERIFY(temporary.startsWith(otherPlatform.temporaryFolder()));
        QCOMPARE(readAll(temporary), pictureBytes);
        QCOMPARE(reopened.backgroundPicture().image().size(), QSize(600, 500));
        QVERIFY(otherPlatform.unexpected.isEmpty());

        // Saving the reopened document gives the same file again.
        reopened.mnuFileSave_Click(0);
        QCOMPARE(readAll(target).size(), 100000 + pictureBytes.size() - 1);
    }

    // A fitted and zoomed placement opens exactly as saved whatever the window showed before,
    // the zoom continues about the fitted side, and the opened document has nothing to undo.
    void fittedPlacementReopensExactly() {
        ScriptedPlatform platform;
        frmMain window(platform);
        const QString picture = path("fit.png");
        writePng(picture, QColor(200, 10, 30), QSize(600, 500));
        chooseBackground(window, picture);
        window.mnuEditBackFit_Click();
        const float fittedSide = window.document().BackWidth;
        QCOMPARE(fittedSide, float(500 * 25.4 / 96));
        window.setScaleStep(30);
        const LabelDocument saved = window.document();
        platform.fileAnswers = {path("fit.gpc")};
        window.mnuFileSave_Click(1);

        ScriptedPlatform otherPlatform;
        frmMain other(otherPlatform);
        chooseBackground(other, picture);
        other.setScaleStep(-60);
        other.document().LabelChanged = false;
        QVERIFY(other.history().canUndo());
        otherPlatform.fileAnswers = {path("fit.gpc")};
        other.mnuFileOpen_Click();
        QCOMPARE(other.scaleStep(), 30);
        QCOMPARE(other.document().BackWidth, saved.BackWidth);
        QCOMPARE(other.document().BackLeft, saved.BackLeft);
        QCOMPARE(other.document().BackTop, saved.BackTop);
        QVERIFY(!other.history().canUndo());
        other.setScaleStep(0);
        QCOMPARE(other.document().BackWidth, fittedSide);
        QVERIFY(other.history().canUndo());
        otherPlatform.messageAnswers = {MessageAnswer::No};
        other.mnuFileNew_Click();
        QVERIFY(!other.history().canUndo());
    }

    void withoutPictureTheScaleStepReadsBackZero() {
        LabelDocument stored;
        stored.BackWidth = stored.BackHeight = 80;
        stored.BackLeft = 2;
        const QString target = path("nopicture.gpc");
        writeAll(target, *LabelFileCodec::encode(stored, 50, QByteArray()).bytes);
        ScriptedPlatform platform;
        frmMain window(platform);
        window.setBackgroundPicture(Picture::fromBitmap(QImage(10, 10, QImage::Format_RGB32)));
        window.setScaleStep(20);
        window.document().LabelChanged = false;
        platform.fileAnswers = {target};
        window.mnuFileOpen_Click();
        QCOMPARE(window.scaleStep(), 0);
        QCOMPARE(window.document().BackWidth, 80.0f);
        QCOMPARE(window.document().BackLeft, 2.0f);
        QVERIFY(window.backgroundPicture().isEmpty());
        QVERIFY(window.backgroundDialog().fileName.isEmpty());
        QVERIFY(!window.document().LabelChanged);
    }

    void aSecondDocumentReplacesTheTemporaryPicture() {
        ScriptedPlatform platform;
        frmMain window(platform);
        QStringList documents;
        QList<QByteArray> pictures;
        for (const QColor color : {QColor(Qt::red), QColor(Qt::blue)}) {
            const QString picture = path(color.name().mid(1) + ".png");
            pictures << writePng(picture, color, QSize(100 + pictures.size() * 50, 80));
            const QString document = path(color.name().mid(1) + ".gpc");
            QVERIFY(LabelFileStore::save(document, LabelDocument(), 0, picture).ok);
            documents << document;
        }
        for (int i = 0; i < 2; ++i) {
            platform.fileAnswers = {documents[i]};
            window.mnuFileOpen_Click();
            QCOMPARE(readAll(window.backgroundDialog().fileName), pictures[i]);
        }
    }

    void anEmbeddedPictureThatCannotLoadKeepsTheDocument() {
        LabelDocument stored;
        stored.TextItems.resize(std::size_t(1));
        stored.item(0) = item(QStringLiteral("x"), 1, 1);
        const QString target = path("junkpicture.gpc");
        writeAll(target, *LabelFileCodec::encode(stored, 0, QByteArray(5000, 'j')).bytes);
        ScriptedPlatform platform;
        frmMain window(platform);
        addItem(window, QStringLiteral("今の"));
        window.document().LabelChanged = false;
        platform.fileAnswers = {target};
        window.mnuFileOpen_Click();
        QCOMPARE(platform.lastMessageText(), QStringLiteral("画像を読み込めませんでした。"));
        QCOMPARE(window.document().item(0).Text, QStringLiteral("今の"));
        QVERIFY(window.documentDialog().fileName.isEmpty());
        QVERIFY(!QFileInfo::exists(QDir(platform.temporaryFolder()).filePath("temp.tmp")));
    }

    void aFailedSaveIsReportedAndKeepsTheOldFile() {
        ScriptedPlatform platform;
        frmMain window(platform);
        const QString picture = path("vanishing.png");
        writePng(picture, Qt::yellow);
        chooseBackground(window, picture);
        addItem(window, QStringLiteral("古い"));
        const QString target = path("kept.gpc");
        platform.fileAnswers = {target};
        window.mnuFileSave_Click(0);
        const QByteArray old = readAll(target);
        QVERIFY(!old.isEmpty());

        // The background's source file vanished.
        addItem(window, QStringLiteral("新しい"));
        QVERIFY(QFile::remove(picture));
        window.mnuFileSave_Click(0);
        QCOMPARE(platform.lastMessageText(),
                 SaveFailed + QStringLiteral("\n背景の画像ファイルが見つかりません。"));
        QCOMPARE(platform.messages.last().title, QStringLiteral("エラー"));
        QVERIFY(window.document().LabelChanged);
        QCOMPARE(readAll(target), old);

        // A folder that does not exist.
        window.setBackgroundPicture(Picture());
        window.backgroundDialog().fileName.clear();
        platform.fileAnswers = {path("no/such/folder/x.gpc")};
        window.mnuFileSave_Click(1);
        QCOMPARE(platform.messages.size(), 2);
        QCOMPARE(platform.lastMessageText(),
                 SaveFailed + QStringLiteral("\n保存先のフォルダーが見つかりません。"));
        QVERIFY(window.document().LabelChanged);
        // Nothing stray beside the target.
        QCOMPARE(QDir(folder_.path()).entryList({"kept.gpc*"}, QDir::Files | QDir::Hidden),
                 QStringList({"kept.gpc"}));
    }

    void aTextTheFileCannotHoldMakesTheSaveFail() {
        ScriptedPlatform platform;
        frmMain window(platform);
        addItem(window, QString(60, QChar(0x3042))); // 120 bytes: too long for a record
        const QString target = path("toolong.gpc");
        platform.fileAnswers = {target};
        window.mnuFileSave_Click(0);
        QVERIFY(platform.lastMessageText().startsWith(SaveFailed + u'\n'));
        QVERIFY(!QFileInfo::exists(target));
        QVERIFY(window.document().LabelChanged);
    }

    void closingNeverLosesWork() {
        const QString closingPrompt = QStringLiteral("ラベルは変更されています。変更しますか？");
        {
            // Yes, then the save dialog cancelled: the window stays with its changes.
            ScriptedPlatform platform;
            frmMain window(platform);
            window.show();
            addItem(window, QStringLiteral("大事"));
            platform.messageAnswers = {MessageAnswer::Yes};
            platform.fileAnswers = {std::nullopt};
            QVERIFY(!window.close());
            QCOMPARE(platform.messages[0].text, closingPrompt);
            QCOMPARE(platform.messages[0].title, QStringLiteral("終了確認"));
            QVERIFY(window.isVisible());
            QVERIFY(window.document().LabelChanged);
            QVERIFY(!platform.settings.contains("MainLeft"));

            // Cancel keeps it too; Yes with a name saves without a dialog and closes.
            platform.messageAnswers = {MessageAnswer::Cancel};
            QVERIFY(!window.close());
            window.documentDialog().fileName = path("closing.gpc");
            platform.messageAnswers = {MessageAnswer::Yes};
            QVERIFY(window.close());
            QCOMPARE(platform.fileDialogs.size(), 1);
            QCOMPARE(LabelFileStore::load(path("closing.gpc")).file->document.item(0).Text,
                     QStringLiteral("大事"));
            QVERIFY(platform.settings.contains("MainLeft"));
        }
        {
            // A failed save keeps the window as well.
            ScriptedPlatform platform;
            frmMain window(platform);
            window.show();
            addItem(window, QStringLiteral("大事"));
            window.documentDialog().fileName = path("missing/folder/x.gpc");
            platform.messageAnswers = {MessageAnswer::Yes};
            QVERIFY(!window.close());
            QVERIFY(platform.lastMessageText().startsWith(SaveFailed + u'\n'));
            QVERIFY(window.document().LabelChanged);
            // No: closes without saving; the temporary picture is removed.
            const QString temporary = QDir(platform.temporaryFolder()).filePath("temp.tmp");
            writeAll(temporary, "x");
            platform.messageAnswers = {MessageAnswer::No};
            QVERIFY(window.close());
            QVERIFY(!QFileInfo::exists(temporary));
        }
        {
            // Unchanged: no question at all; the exit item behaves like the close box.
            ScriptedPlatform platform;
            frmMain window(platform);
            window.show();
            window.mnuFileExit_Click();
            QVERIFY(!window.isVisible());
            QVERIFY(platform.messages.isEmpty());
        }
    }

    void openingFromTheCommandLine() {
        const QString target = path("cmdline.gpc");
        LabelDocument stored;
        stored.TextItems.resize(std::size_t(1));
        stored.item(0) = item(QStringLiteral("引数"), 5, 5);
        QVERIFY(LabelFileStore::save(target, stored, 0, QString()).ok);
        ScriptedPlatform platform;
        frmMain window(platform);
        QVERIFY(window.openDocumentFile(target));
        QCOMPARE(window.document().item(0).Text, QStringLiteral("引数"));
        QCOMPARE(window.documentDialog().fileName, target);
        QVERIFY(!window.openDocumentFile(path("does-not-exist.gpc")));
        QCOMPARE(window.documentDialog().fileName, target);
    }

    void twoEditorsKeepTheirOwnTemporaryFolders() {
        QtPlatform first, second;
        const QString a = first.temporaryFolder(), b = second.temporaryFolder();
        QVERIFY(!a.isEmpty() && !b.isEmpty());
        QVERIFY(a != b);
        QCOMPARE(QFileInfo(a).permissions() &
                     (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
                 QFile::Permissions());

        ScriptedPlatform platformA, platformB;
        frmMain editorA(platformA), editorB(platformB);
        const QString pictureA = path("a.png"), pictureB = path("b.png");
        const QByteArray bytesA = writePng(pictureA, Qt::cyan),
                         bytesB = writePng(pictureB, Qt::magenta);
        QVERIFY(LabelFileStore::save(path("a.gpc"), LabelDocument(), 0, pictureA).ok);
        QVERIFY(LabelFileStore::save(path("b.gpc"), LabelDocument(), 0, pictureB).ok);
        QVERIFY(editorA.openDocumentFile(path("a.gpc")));
        QVERIFY(editorB.openDocumentFile(path("b.gpc")));
        QCOMPARE(readAll(editorA.backgroundDialog().fileName), bytesA);
        QCOMPARE(readAll(editorB.backgroundDialog().fileName), bytesB);
        // Saving each again embeds its own picture.
        editorA.mnuFileSave_Click(0);
        editorB.mnuFileSave_Click(0);
        QCOMPARE(LabelFileStore::load(path("a.gpc")).file->picture, bytesA);
        QCOMPARE(LabelFileStore::load(path("b.gpc")).file->picture, bytesB);
    }
};

QTEST_MAIN(DocumentCommandsTest)
#include "test_document_commands.moc"
