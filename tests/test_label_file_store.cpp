#include "document/AtomicReplace.h"
#include "document/LabelFileStore.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace LabelFileCodec;

namespace {

using TestFiles::readAll;
using TestFiles::writeFile;

LabelDocument twoItems() {
    LabelDocument document;
    document.BackLeft = 12.5f;
    document.BackTop = 3;
    document.BackWidth = 61;
    document.BackHeight = 61;
    document.TextItems.resize(std::size_t(2));
    document.SelectedText = 1;
    document.item(0).Text = QStringLiteral(u"髙橋 ①");
    document.item(0).FontName = QStringLiteral("IPAGothic");
    document.item(0).Size = 24;
    document.item(1).Text = QStringLiteral("CD-R");
    document.item(1).FontName = QStringLiteral("DejaVu Sans");
    document.item(1).Left = 40.25f;
    document.item(1).Color = 12;
    return document;
}

QByteArray pictureBytes(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 31 + 7);
    return bytes;
}

// Limits the size of files this process may write, so that a save fails part-way as on a full
// disk. Works for every user, root included.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

private:
    rlimit saved_{};
};

enum class ChildStatus { True, False, CannotDropPrivileges };

// Root may write into read-only folders, so when the tests run as root the body runs in a child
// process as the unprivileged user "nobody".
ChildStatus runUnprivileged(const std::function<bool()>& body) {
    if (geteuid() != 0)
        return body() ? ChildStatus::True : ChildStatus::False;
    const pid_t child = fork();
    if (child == 0) {
        constexpr gid_t Nobody = 65534;
        if (setgroups(0, nullptr) != 0 || setgid(Nobody) != 0 || setuid(Nobody) != 0)
            _exit(2);
        _exit(body() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return ChildStatus::CannotDropPrivileges;
    const int code = WEXITSTATUS(status);
    return code == 0   ? ChildStatus::True
           : code == 1 ? ChildStatus::False
                       : ChildStatus::CannotDropPrivileges;
}

} // namespace

class TestLabelFileStore : public QObject {
    Q_OBJECT

private slots:
    void init();
    void saveThenLoadWithPicture();
    void saveWithoutPictureWritesOnlyTheRecords();
    void failedSavesLeaveTheOldFile();
    void saveIntoReadOnlyFolderLeavesTheOldFile();
    void unreadableFilesAreRefused_data();
    void unreadableFilesAreRefused();
    void leftoversOfKilledSavesAreRemoved();
    void saveKeepsLinksAndPermissions();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString path(const QString& name) const { return dir_->filePath(name); }
    // Everything in the folder: a failed save must not leave a temporary file behind.
    QStringList entries() const {
        return QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }
};

void TestLabelFileStore::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void TestLabelFileStore::saveThenLoadWithPicture() {
    const QByteArray picture = pictureBytes(5000);
    QVERIFY(writeFile(path("back.png"), picture));
    QVERIFY(writeFile(path("label.gpc"), QByteArray(200000, 'x'))); // a longer old file

    const LabelFileStore::SaveResult saved =
        LabelFileStore::save(path("label.gpc"), twoItems(), -42, path("back.png"));
    QVERIFY2(saved.ok, qPrintable(saved.reason));
    QCOMPARE(QFileInfo(path("label.gpc")).size(), 100000 + picture.size() - 1);
    QCOMPARE(readAll(path("label.gpc")), *encode(twoItems(), -42, picture).bytes);

    const DecodeResult loaded = LabelFileStore::load(path("label.gpc"));
    QVERIFY2(loaded.file, qPrintable(loaded.reason));
    QCOMPARE(loaded.file->picture, picture);
    QCOMPARE(loaded.file->scaleStep, -42);
    QCOMPARE(loaded.file->document.SelectedText, 1);
    QCOMPARE(loaded.file->document.item(0), twoItems().item(0));
    QCOMPARE(loaded.file->document.item(1), twoItems().item(1));
    QCOMPARE(entries(), QStringList({"back.png", "label.gpc"}));
}

void TestLabelFileStore::saveWithoutPictureWritesOnlyTheRecords() {
    QVERIFY(writeFile(path("label.gpc"), pictureBytes(150000)));
    LabelDocument document = twoItems();
    document.LabelChanged = true;
    const LabelFileStore::SaveResult saved =
        LabelFileStore::save(path("label.gpc"), document, 0, QString());
    QVERIFY2(saved.ok, qPrintable(saved.reason));
    QCOMPARE(QFileInfo(path("label.gpc")).size(), 8 * RecordSize);
    QVERIFY(document.LabelChanged); // the caller's business
}

void TestLabelFileStore::failedSavesLeaveTheOldFile() {
    const QByteArray old = pictureBytes(3000);
    QVERIFY(writeFile(path("label.gpc"), old));
    QVERIFY(writeFile(path("back.png"), pictureBytes(200000)));

    // The picture source has vanished since it was chosen.
    LabelFileStore::SaveResult saved =
        LabelFileStore::save(path("label.gpc"), twoItems(), 0, path("gone.png"));
    QVERIFY(!saved.ok);
    QVERIFY2(saved.reason.contains(QStringLiteral("gone.png")), qPrintable(saved.reason));
    QCOMPARE(saved.fault, LabelFileStore::SaveFault::PictureGone);

    // An item that does not fit its record is refused before anything is written.
    LabelDocument tooLong = twoItems();
    tooLong.item(1).Text = QString(50, QChar(u'あ'));
    saved = LabelFileStore::save(path("label.gpc"), tooLong, 0, path("back.png"));
    QVERIFY(!saved.ok);
    QVERIFY2(saved.reason.startsWith(QStringLiteral("text item 1:")), qPrintable(saved.reason));
    QCOMPARE(saved.fault, LabelFileStore::SaveFault::Content);

    // The disk fills up half-way through the new file.
    {
        const FileSizeLimit limit(50000);
        saved = LabelFileStore::save(path("label.gpc"), twoItems(), 0, path("back.png"));
    }
    QVERIFY(!saved.ok);
    QVERIFY2(!saved.reason.contains(QStringLiteral("Unknown error")), qPrintable(saved.reason));

    // A folder that does not exist.
    saved = LabelFileStore::save(path("missing/label.gpc"), twoItems(), 0, QString());
    QVERIFY(!saved.ok);

    QCOMPARE(readAll(path("label.gpc")), old);
    QCOMPARE(entries(), QStringList({"back.png", "label.gpc"}));
}

void TestLabelFileStore::saveIntoReadOnlyFolderLeavesTheOldFile() {
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(dir_->path(), readOnly | QFile::WriteOwner));
    QVERIFY(QDir(dir_->path()).mkdir("locked"));
    const QString locked = path("locked");
    const QByteArray old = pictureBytes(900);
    QVERIFY(writeFile(locked + "/label.gpc", old));
    QVERIFY(QFile::setPermissions(locked, readOnly));
    const auto unlock =
        qScopeGuard([&] { QFile::setPermissions(locked, readOnly | QFile::WriteOwner); });

    const ChildStatus status = runUnprivileged([&] {
        return LabelFileStore::save(locked + "/label.gpc", twoItems(), 0, QString()).fault ==
               LabelFileStore::SaveFault::NotAllowed;
    });
    if (status == ChildStatus::CannotDropPrivileges)
        QSKIP("cannot run as an unprivileged user here");
    QCOMPARE(status, ChildStatus::True);
    QCOMPARE(readAll(locked + "/label.gpc"), old);
    QCOMPARE(QDir(locked).entryList(QDir::Files | QDir::Hidden), QStringList({"label.gpc"}));
}

// Nothing that is not a regular file is read: a FIFO or a device would never end or never
// answer, and Open would hang on it.
void TestLabelFileStore::unreadableFilesAreRefused_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<Refusal>("refusal");
    QTest::newRow("missing") << "nothing.gpc" << Refusal::Unreadable;
    QTest::newRow("folder") << "." << Refusal::NotALabelFile;
    QTest::newRow("FIFO") << "fifo.gpc" << Refusal::NotALabelFile;
    QTest::newRow("endless device") << "/dev/zero" << Refusal::NotALabelFile;
    QTest::newRow("text") << "notes.gpc" << Refusal::NotALabelFile;
}

void TestLabelFileStore::unreadableFilesAreRefused() {
    QFETCH(QString, name);
    QFETCH(Refusal, refusal);
    QCOMPARE(::mkfifo(QFile::encodeName(path("fifo.gpc")).constData(), 0600), 0);
    QVERIFY(writeFile(path("notes.gpc"), "not a label"));
    const QString file = name.startsWith(u'/') ? name : path(name);
    const DecodeResult loaded = LabelFileStore::load(file);
    QVERIFY(!loaded.file);
    QCOMPARE(loaded.refusal, refusal);
    QVERIFY(!loaded.reason.isEmpty());
}

void TestLabelFileStore::leftoversOfKilledSavesAreRemoved() {
    // What a save killed between naming its new file and renaming it leaves behind, and one
    // whose writer is still at work (it holds the lock).
    const QString prefix = AtomicReplace::leftoverPrefix(QStringLiteral("label.gpc"));
    QCOMPARE(prefix, QStringLiteral(".label.gpc.saving-"));
    QVERIFY(writeFile(path(prefix + "Ab3xYz"), pictureBytes(4000)));
    QVERIFY(writeFile(path(prefix + "busy01"), pictureBytes(4000)));
    const int busy = ::open(QFile::encodeName(path(prefix + "busy01")).constData(), O_RDONLY);
    QVERIFY(busy >= 0 && ::flock(busy, LOCK_EX) == 0);
    const auto release = qScopeGuard([busy] { ::close(busy); });
    // Names that merely look alike belong to someone else.
    const QStringList others = {"label.gpc.backup", prefix + "notes.txt", prefix + "x",
                                ".other.gpc.saving-Ab3xYz"};
    for (const QString& name : others)
        QVERIFY(writeFile(path(name), "keep"));

    const LabelFileStore::SaveResult saved =
        LabelFileStore::save(path("label.gpc"), twoItems(), 0, QString());
    QVERIFY2(saved.ok, qPrintable(saved.reason));
    QStringList expected = others + QStringList{prefix + "busy01", "label.gpc"};
    expected.sort();
    QCOMPARE(entries(), expected);
}

void TestLabelFileStore::saveKeepsLinksAndPermissions() {
    QVERIFY(QDir(dir_->path()).mkdir("real"));
    QVERIFY(writeFile(path("real/label.gpc"), "old"));
    QVERIFY(QFile::setPermissions(path("real/label.gpc"),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    QVERIFY(QFile::link(path("real/label.gpc"), path("link.gpc")));

    LabelFileStore::SaveResult saved =
        LabelFileStore::save(path("link.gpc"), twoItems(), 0, QString());
    QVERIFY2(saved.ok, qPrintable(saved.reason));
    QVERIFY(QFileInfo(path("link.gpc")).isSymLink());
    QCOMPARE(readAll(path("real/label.gpc")), *encode(twoItems(), 0, QByteArray()).bytes);
    QCOMPARE(QFileInfo(path("real/label.gpc")).permissions() & 0x0fff,
             QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);

    // A folder in the target's place is refused, not replaced.
    QVERIFY(QDir(dir_->path()).mkdir("folder.gpc"));
    saved = LabelFileStore::save(path("folder.gpc"), twoItems(), 0, QString());
    QVERIFY(!saved.ok);
    QVERIFY2(saved.reason.contains(QStringLiteral("not a regular file")), qPrintable(saved.reason));
    QVERIFY(QFileInfo(path("folder.gpc")).isDir());
}

QTEST_GUILESS_MAIN(TestLabelFileStore)
#include "test_label_file_store.moc"
