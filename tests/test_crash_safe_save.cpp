// The real save path (gpctool create goes through LabelFileStore::save, as the editor's Save
// does) writing a document with a 50 MB picture over an older one, killed at many moments of
// the write, and running into a file size limit as on a full disk: the target is always the
// old file byte for byte or the complete new one, and nothing else is left beside it.
#include "document/AtomicReplace.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Micros = std::chrono::microseconds;

constexpr qsizetype PictureBytes = 50 * 1024 * 1024;
constexpr qsizetype OldPictureBytes = 300 * 1000;
// Kills spread evenly over the write (from the new file's creation to its rename), and over
// the whole run, start-up and shut-down included.
constexpr int KillsDuringWrite = 52;
constexpr int KillsOverRun = 12;
constexpr int MinKillsSeenMidWrite = 5;

using TestFiles::readAll;
using TestFiles::writeFile;

// No two 4-byte words alike, so a block written to the wrong place would show.
QByteArray patternBytes(qsizetype size, quint32 seed) {
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i + 4 <= size; i += 4) {
        const quint32 word = (quint32(i) + seed) * 2654435761u;
        std::memcpy(bytes.data() + i, &word, 4);
    }
    return bytes;
}

// What the save process had open in the target's folder just before it was killed.
struct Probe {
    bool newFileOpen = false;
    bool unnamed = false; // the new file had no name in the folder
    qint64 bytes = 0;     // how much of it was written
};

Probe probeSave(qint64 pid, const QByteArray& folder) {
    Probe probe;
    const QByteArray fdFolder = "/proc/" + QByteArray::number(pid) + "/fd";
    DIR* const fds = ::opendir(fdFolder.constData());
    if (!fds)
        return probe;
    while (const dirent* entry = ::readdir(fds)) {
        const QByteArray fdPath = fdFolder + '/' + entry->d_name;
        char link[4096];
        const ssize_t length = ::readlink(fdPath.constData(), link, sizeof(link) - 1);
        const QByteArray target(link, length > 0 ? length : 0);
        struct stat status {};
        if (!target.startsWith(folder + '/') || ::stat(fdPath.constData(), &status) != 0)
            continue;
        probe.newFileOpen = true;
        probe.unnamed = target.startsWith(folder + "/#") && target.endsWith(" (deleted)");
        probe.bytes = status.st_size;
    }
    ::closedir(fds);
    return probe;
}

bool canHoldUnnamedFiles(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_WRONLY, 0600);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

bool hasEnded(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype state = line.lastIndexOf(") ") + 2;
    return state < 2 || state >= line.size() || line.at(state) == 'Z';
}

struct Window {
    Micros runEnd{0};
    Micros writeStart{0};
    Micros writeEnd{0};
    bool unnamedSeen = false;
};

// Limits the size of the files the child may write; SIGXFSZ is ignored, so a write past the
// limit fails with EFBIG as one on a full disk fails with ENOSPC.
void limitFileSize(QProcess& process, rlim_t bytes) {
    process.setChildProcessModifier([bytes] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    });
}

} // namespace

class TestCrashSafeSave : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void killedSaveLeavesOldOrNewFile();
    void fullDiskKeepsTheOldFile();

private:
    QTemporaryDir dir_;
    QString tool_;
    QString spec_;
    QString picture_;
    QString target_;
    QByteArray old_;
    QByteArray new_;
    bool unnamedFiles_ = false; // whether the file system can hold unnamed files
    QString path(const QString& name) const { return dir_.filePath(name); }
    QProcessEnvironment environment() const;
    bool runTool(const QStringList& args);
    void startSave(QProcess& process);
    void putOldFile();
    QStringList folderEntries() const;
    Window measureRun();
    Probe killAt(Micros moment, bool fromWriteStart);
    void checkAfterKill(const Probe& probe, int* kept, int* replaced);
};

bool TestCrashSafeSave::runTool(const QStringList& args) {
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(tool_, args);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// Qt wants a private runtime folder; the temporary folder is one.
QProcessEnvironment TestCrashSafeSave::environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.path());
    return environment;
}

void TestCrashSafeSave::initTestCase() {
    tool_ = qEnvironmentVariable("GPCTOOL");
    QVERIFY2(QFile::exists(tool_), "GPCTOOL names the tool");
    QVERIFY(dir_.isValid());
    QVERIFY(QDir(dir_.path()).mkdir("target"));
    unnamedFiles_ = canHoldUnnamedFiles(path("target"));
    spec_ = path("new.json");
    picture_ = path("picture.bin");
    target_ = path("target/label.gpc");
    QVERIFY(writeFile(spec_, R"({"TextItems": [{"Text": "new", "Size": 40}]})"));
    QVERIFY(writeFile(path("old.json"), R"({"TextItems": [{"Text": "old", "Size": 12}]})"));
    QVERIFY(writeFile(picture_, patternBytes(PictureBytes, 1)));
    QVERIFY(writeFile(path("old-picture.bin"), patternBytes(OldPictureBytes, 2)));
    QVERIFY(runTool({"create", "--json", path("old.json"), "--picture", path("old-picture.bin"),
                     path("old.gpc")}));
    QVERIFY(runTool({"create", "--json", spec_, "--picture", picture_, path("new.gpc")}));
    old_ = readAll(path("old.gpc"));
    new_ = readAll(path("new.gpc"));
    QVERIFY(new_.size() > PictureBytes && old_.size() > OldPictureBytes);
}

void TestCrashSafeSave::startSave(QProcess& process) {
    process.setProcessEnvironment(environment());
    process.start(tool_, {"create", "--json", spec_, "--picture", picture_, target_});
    QVERIFY(process.waitForStarted());
}

void TestCrashSafeSave::putOldFile() {
    QVERIFY(writeFile(target_, old_));
}

QStringList TestCrashSafeSave::folderEntries() const {
    return QDir(path("target"))
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// One uninterrupted save, watched: when the new file appears in the folder and when it goes.
Window TestCrashSafeSave::measureRun() {
    Window window;
    putOldFile();
    QProcess process;
    startSave(process);
    const Clock::time_point start = Clock::now();
    const qint64 pid = process.processId();
    const QByteArray folder = QFile::encodeName(path("target"));
    while (!hasEnded(pid)) {
        const Probe probe = probeSave(pid, folder);
        const Micros now = std::chrono::duration_cast<Micros>(Clock::now() - start);
        if (probe.newFileOpen && window.writeStart == Micros(0))
            window.writeStart = now;
        if (probe.newFileOpen)
            window.writeEnd = now;
        window.unnamedSeen = window.unnamedSeen || probe.unnamed;
        std::this_thread::sleep_for(Micros(500));
    }
    window.runEnd = std::chrono::duration_cast<Micros>(Clock::now() - start);
    process.waitForFinished();
    if (process.exitCode() != 0 || readAll(target_) != new_)
        window.writeEnd = Micros(0);
    return window;
}

// Kills the save `moment` after it started, or after its new file appeared: start-up takes
// longer than the write and varies more than the write lasts.
Probe TestCrashSafeSave::killAt(Micros moment, bool fromWriteStart) {
    QProcess process;
    startSave(process);
    const qint64 pid = process.processId();
    const QByteArray folder = QFile::encodeName(path("target"));
    const Clock::time_point start = Clock::now();
    while (fromWriteStart && !probeSave(pid, folder).newFileOpen && !hasEnded(pid))
        std::this_thread::sleep_for(Micros(100));
    std::this_thread::sleep_until((fromWriteStart ? Clock::now() : start) + moment);
    const Probe probe = probeSave(pid, folder);
    process.kill();
    process.waitForFinished();
    return probe;
}

// A save killed in the instant between naming its new file and renaming it leaves the complete
// new file under a hidden name. Only where the file system cannot hold unnamed files may a
// hidden leftover be incomplete; any other leftover is a fault.
void TestCrashSafeSave::checkAfterKill(const Probe& probe, int* kept, int* replaced) {
    const QByteArray now = readAll(target_);
    QVERIFY2(now == old_ || now == new_,
             qPrintable(QStringLiteral("target is neither file: %1 bytes, killed with %2 written")
                            .arg(now.size())
                            .arg(probe.bytes)));
    ++*(now == old_ ? kept : replaced);
    const QString prefix = AtomicReplace::leftoverPrefix(QStringLiteral("label.gpc"));
    for (const QString& name : folderEntries()) {
        if (name == QLatin1String("label.gpc"))
            continue;
        QVERIFY2(name.startsWith(prefix), qPrintable(QStringLiteral("stray file ") + name));
        QVERIFY2(!unnamedFiles_ || readAll(path("target/" + name)) == new_, qPrintable(name));
    }
}

void TestCrashSafeSave::killedSaveLeavesOldOrNewFile() {
    measureRun(); // the first run fills the page cache
    const Window window = measureRun();
    QVERIFY2(window.writeEnd > window.writeStart, "an uninterrupted save writes the new file");
    QVERIFY2(window.unnamedSeen || !unnamedFiles_, "the new file has no name while it is written");

    std::vector<std::pair<Micros, bool>> moments;
    const Micros writeLength = window.writeEnd - window.writeStart;
    for (int i = 0; i < KillsDuringWrite; ++i)
        moments.emplace_back(writeLength * (2 * i + 1) / (2 * KillsDuringWrite), true);
    for (int i = 0; i < KillsOverRun; ++i)
        moments.emplace_back(window.runEnd * (2 * i + 1) / (2 * KillsOverRun), false);

    int kept = 0;
    int replaced = 0;
    int midWrite = 0;
    qint64 fewestBytes = new_.size();
    qint64 mostBytes = 0;
    const auto killAndCheck = [&](Micros moment, bool fromWriteStart) {
        putOldFile();
        const Probe probe = killAt(moment, fromWriteStart);
        checkAfterKill(probe, &kept, &replaced);
        if (probe.newFileOpen && probe.bytes < new_.size()) {
            ++midWrite;
            fewestBytes = qMin(fewestBytes, probe.bytes);
            mostBytes = qMax(mostBytes, probe.bytes);
        }
    };
    for (const auto& [moment, fromWriteStart] : moments) {
        killAndCheck(moment, fromWriteStart);
        if (QTest::currentTestFailed())
            return;
    }
    // Under load the bytes reach the page cache early in the measured write and the wait for
    // the disk fills the rest, so the planned kills may find the file complete. Kills closer
    // to the file's creation are added until enough have landed among the bytes.
    for (int extra = 0; midWrite < MinKillsSeenMidWrite && extra < 32; ++extra) {
        moments.emplace_back(writeLength * (2 * extra + 1) / 256, true);
        killAndCheck(moments.back().first, true);
        if (QTest::currentTestFailed())
            return;
    }
    // A loaded machine can stretch a save well past the measured run, so that no planned kill
    // lands after the rename (or, the other way, before it). Kills further out, or right at the
    // start, are added until both outcomes have been seen.
    for (int extra = 1; replaced == 0 && extra <= 16; ++extra) {
        putOldFile();
        moments.emplace_back(window.runEnd * (1 + extra), false);
        checkAfterKill(killAt(moments.back().first, false), &kept, &replaced);
        if (QTest::currentTestFailed())
            return;
    }
    for (int extra = 0; kept == 0 && extra < 16; ++extra) {
        putOldFile();
        moments.emplace_back(Micros(extra * 100), false);
        checkAfterKill(killAt(moments.back().first, false), &kept, &replaced);
        if (QTest::currentTestFailed())
            return;
    }
    qInfo("%d kills over a %lld ms save (writing %lld ms): %d mid-write (%lld..%lld of %lld bytes "
          "written), %d kept the old file, %d left the new one",
          int(moments.size()), qint64(window.runEnd.count() / 1000),
          qint64(writeLength.count() / 1000), midWrite, fewestBytes, mostBytes, qint64(new_.size()),
          kept, replaced);
    QVERIFY2(kept > 0 && replaced > 0, "kills land both before and after the rename");
    QVERIFY2(midWrite >= MinKillsSeenMidWrite, "kills land while the new file is written");

    // Leftovers never pile up: the next save removes them.
    QVERIFY(measureRun().writeEnd > Micros(0));
    QCOMPARE(folderEntries(), QStringList({"label.gpc"}));
}

void TestCrashSafeSave::fullDiskKeepsTheOldFile() {
    const rlim_t full = rlim_t(new_.size());
    for (const rlim_t limit : {rlim_t(0), rlim_t(4096), rlim_t(99999), full / 2, full - 1}) {
        putOldFile();
        QProcess process;
        limitFileSize(process, limit);
        startSave(process);
        QVERIFY(process.waitForFinished(120000));
        const QByteArray error = process.readAllStandardError().trimmed();
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        QVERIFY2(error.startsWith("gpctool: ") && error.contains("File too large") &&
                     !error.contains('\n'),
                 error.constData());
        QVERIFY2(readAll(target_) == old_, qPrintable(QStringLiteral("limit %1").arg(limit)));
        QCOMPARE(folderEntries(), QStringList({"label.gpc"}));
    }
    // Exactly the new file's size is enough: the limit, not the writer, made the others fail.
    putOldFile();
    QProcess process;
    limitFileSize(process, full);
    startSave(process);
    QVERIFY(process.waitForFinished(120000));
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(readAll(target_) == new_);
}

QTEST_GUILESS_MAIN(TestCrashSafeSave)
#include "test_crash_safe_save.moc"
