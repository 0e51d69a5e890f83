#include "platform/files/PosixFileSystem.h"
#include "support/ChildProcess.h"
#include "support/FaultyFileSystem.h"
#include "support/FileBytes.h"
#include "support/TrashedSteps.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

using Call = FaultyFileSystem::Call;

namespace {
constexpr qsizetype bigSize = qsizetype(64) << 20;
constexpr int randomKills = 100;
constexpr int maxRandomAttempts = 250;
constexpr int writeSampling = 32; // of the thousands of small writes of the fallback copy, every 32nd
constexpr int childTimeoutMs = 30000;

QByteArray pattern(qsizetype size, int seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    auto* words = reinterpret_cast<quint32*>(bytes.data());
    QRandomGenerator(quint32(seed)).fillRange(words, size_t(size) / sizeof(quint32));
    return bytes;
}

// Identity and times of a file: any write to it changes them.
QByteArray fingerprint(const QString& path) {
    struct stat status {};
    if (stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return QByteArray::number(qulonglong(status.st_ino)) + ' ' +
           QByteArray::number(qlonglong(status.st_size)) + ' ' +
           QByteArray::number(qlonglong(status.st_mtim.tv_sec)) + '.' +
           QByteArray::number(qlonglong(status.st_mtim.tv_nsec)) + ' ' +
           QByteArray::number(qlonglong(status.st_ctim.tv_sec)) + '.' +
           QByteArray::number(qlonglong(status.st_ctim.tv_nsec));
}
} // namespace

// A kill -9 tests what the process leaves behind, not what the disk keeps after a power cut, so the
// file system does not matter here. A memory-backed one keeps gigabytes of torn copies off the disk.
QString scratchFolder() {
    const QString memory = QStringLiteral("/dev/shm");
    return QFileInfo(memory).isDir() && QFileInfo(memory).isWritable()
               ? memory + QStringLiteral("/stowbox-kill-XXXXXX")
               : QString();
}

class BagStoreKillTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir = scratchFolder().isEmpty() ? QTemporaryDir() : QTemporaryDir(scratchFolder());
    QByteArray newBytes;
    const QByteArray oldBytes = pattern(64 << 10, 2);
    QByteArray sourceFingerprint;
    int kills = 0;
    int leftoversSeen = 0;

    // A load: a bag of the program directory copied over the live file of the client's.
    QString source() const { return dir.filePath("bags/source.prp"); }
    QString destination() const { return dir.filePath("palace/palace.prp"); }
    TrashOwner trash() const { return {QFile::encodeName(dir.filePath("Trash")), getuid()}; }

    enum class State { Old, New, Torn, Gone };
    // Mapped rather than read: a fresh 64 MiB buffer per check would cost more than the copy itself.
    State destinationState() const {
        QFile file(destination());
        if (!file.exists())
            return State::Gone;
        if (!file.open(QIODevice::ReadOnly))
            return State::Torn;
        const auto matches = [&file](const QByteArray& bytes) {
            if (file.size() != bytes.size())
                return false;
            const uchar* mapped = file.map(0, file.size());
            return mapped && memcmp(mapped, bytes.constData(), size_t(bytes.size())) == 0;
        };
        return matches(oldBytes) ? State::Old : matches(newBytes) ? State::New : State::Torn;
    }

    // After a copy or delete died or ended: the destination is whole, the source untouched, and the clean-up
    // at the next start leaves no temporary file in either directory and nothing else changed.
    void checkAfterwards(State expected, const QString& what) {
        const State state = destinationState();
        QVERIFY2(state != State::Torn && (state != State::Gone || expected == State::Gone), qPrintable(what));
        if (expected != State::Torn)
            QVERIFY2(state == expected, qPrintable(what));
        QVERIFY2(fingerprint(source()) == sourceFingerprint, qPrintable(what));
        PosixFileSystem fs;
        const auto files = [this](const char* folder) {
            return QDir(dir.filePath(folder)).entryList(QDir::Files | QDir::Hidden);
        };
        const QStringList remaining = state == State::Gone ? QStringList() : QStringList("palace.prp");
        leftoversSeen += int(files("palace").size() - remaining.size() +
                             files("Trash/files").filter(QStringLiteral(".stowbox-")).size());
        TrashedSteps(fs, trash())
            .steps.removeLeftovers(
                {QFile::encodeName(dir.filePath("bags")), QFile::encodeName(dir.filePath("palace"))});
        QVERIFY2(files("palace") == remaining && files("bags") == QStringList("source.prp"),
                 qPrintable(what));
        // The replaced or deleted file is never lost: once it has left its place, it is whole in the trash;
        // no file is left there without the info that shows it, nor a temporary copy.
        const QString kept = dir.filePath("Trash/files/palace.prp");
        QVERIFY2(QFileInfo::exists(kept)
                     ? readFile(kept) == oldBytes &&
                           QFileInfo::exists(dir.filePath("Trash/info/palace.prp.trashinfo"))
                     : state == State::Old,
                 qPrintable(what));
        for (const QString& name : files("Trash/files"))
            QVERIFY2(QFileInfo::exists(dir.filePath("Trash/info/" + name + ".trashinfo")),
                     qPrintable(what + ": " + name));
        QVERIFY(QDir(dir.filePath("Trash")).removeRecursively());
        writeFile(destination(), oldBytes);
    }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid() && QDir(dir.path()).mkdir("bags") && QDir(dir.path()).mkdir("palace"));
        qInfo("copying in %s", qPrintable(dir.path()));
        newBytes = pattern(bigSize, 1);
        writeFile(source(), newBytes);
        writeFile(destination(), oldBytes);
        sourceFingerprint = fingerprint(source());
    }

    void killedAtEveryMutatingStep_data() {
        QTest::addColumn<bool>("rangeCopyUnsupported");
        QTest::addColumn<bool>("remove");
        QTest::addColumn<bool>("trashElsewhere"); // no link reaches it: the kept file is copied there
        QTest::newRow("copy_file_range") << false << false << false;
        QTest::newRow("read and write") << true << false << false;
        QTest::newRow("delete") << false << true << false;
        QTest::newRow("copy_file_range, the trash on another disk") << false << false << true;
        QTest::newRow("delete, the trash on another disk") << true << true << true;
    }

    void killedAtEveryMutatingStep() {
        QFETCH(bool, rangeCopyUnsupported);
        QFETCH(bool, remove);
        QFETCH(bool, trashElsewhere);
        const auto run = [&](FaultyFileSystem& fs) {
            fs.rangeCopyUnsupported = rangeCopyUnsupported;
            if (trashElsewhere)
                fs.fault = FaultyFileSystem::Fault{Call::Linkat, 1, FaultyFileSystem::Effect::Fail, EXDEV};
            TrashedSteps store(fs, trash());
            return remove ? store.steps.remove(FilePlace::split(destination()))
                          : store.steps.copy(FilePlace::split(source()), FilePlace::split(destination()));
        };
        const State done = remove ? State::Gone : State::New;
        FaultyFileSystem dry;
        QVERIFY(run(dry).ok());
        checkAfterwards(done, "dry run");

        QList<int> steps; // indexes into the trace of the mutating calls to die at
        int writes = 0;
        int renameStep = -1;
        for (int i = 0; i < dry.trace.size(); ++i) {
            const Call call = dry.trace[i].call;
            if (call == (remove ? Call::Unlinkat : Call::Renameat))
                renameStep = i;
            if (FaultyFileSystem::mutates(call) && (call != Call::Write || ++writes % writeSampling == 1))
                steps.append(i);
        }
        QVERIFY(renameStep > 0);

        for (const int step : std::as_const(steps)) {
            const int pid = fork();
            if (pid == 0) {
                FaultyFileSystem fs;
                int calls = 0;
                fs.beforeCall = [&](Call) {
                    if (calls++ == step)
                        raise(SIGKILL);
                };
                run(fs);
                _exit(0);
            }
            QVERIFY(pid > 0);
            QCOMPARE(ChildProcess::wait(pid, childTimeoutMs), ChildProcess::notRun);
            ++kills;
            const QString what = QStringLiteral("killed before %1 (call %2 of %3)")
                                     .arg(QLatin1String(FaultyFileSystem::nameOf(dry.trace[step].call)))
                                     .arg(step + 1)
                                     .arg(dry.trace.size());
            checkAfterwards(step <= renameStep ? State::Old : done, what);
        }
        qInfo("%s: %lld mutating steps, each killed once", QTest::currentDataTag(), qlonglong(steps.size()));
    }

    void killedAtRandomMoments() {
        // How long one copy takes here, from the moment the child is ready until it has ended.
        const auto runChild = [this](int delayUs, bool kill) {
            int ready[2];
            if (pipe(ready) != 0)
                return ChildProcess::notRun - 1;
            const int pid = fork();
            if (pid == 0) {
                ::close(ready[0]);
                PosixFileSystem fs;
                TrashedSteps store(fs, trash());
                const char go = 'g';
                if (::write(ready[1], &go, 1) != 1)
                    _exit(3);
                _exit(store.steps.copy(FilePlace::split(source()), FilePlace::split(destination())).ok() ? 0
                                                                                                         : 1);
            }
            ::close(ready[1]);
            pollfd waiting{ready[0], POLLIN, 0};
            char got = 0;
            const bool started = poll(&waiting, 1, childTimeoutMs) == 1 && ::read(ready[0], &got, 1) == 1;
            ::close(ready[0]);
            if (started && kill) {
                usleep(useconds_t(delayUs));
                ::kill(pid, SIGKILL);
            }
            return ChildProcess::wait(pid, childTimeoutMs);
        };

        QElapsedTimer clock;
        qint64 longestUs = 0;
        for (int i = 0; i < 2; ++i) {
            clock.start();
            QCOMPARE(runChild(0, false), 0);
            longestUs = std::max(longestUs, clock.nsecsElapsed() / 1000);
            checkAfterwards(State::New, "uninterrupted copy");
        }

        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        int killedMidway = 0;
        int finished = 0;
        qint64 boundUs = longestUs;
        for (int attempt = 0; killedMidway < randomKills && attempt < maxRandomAttempts; ++attempt) {
            const int delayUs = int(random.bounded(boundUs));
            const int status = runChild(delayUs, true);
            QVERIFY2(status == 0 || status == ChildProcess::notRun, qPrintable(QString::number(status)));
            if (status == 0) {
                // The copy was quicker than measured: aim earlier from now on.
                boundUs = std::max<qint64>(1000, boundUs * 9 / 10);
                ++finished;
            } else {
                ++killedMidway;
            }
            checkAfterwards(State::Torn, QStringLiteral("killed after %1 us").arg(delayUs));
        }
        kills += killedMidway;
        qInfo("random moments (seed %u): %d kills within a copy of %lld ms, %d copies finished first", seed,
              killedMidway, longestUs / 1000, finished);
        QCOMPARE(killedMidway, randomKills);
    }

    void cleanupTestCase() {
        QCOMPARE(readFile(source()), newBytes);
        qInfo("kill points: %d in all; %d temporary files left by them, all removed", kills, leftoversSeen);
    }
};

QTEST_GUILESS_MAIN(BagStoreKillTest)
#include "tst_bagstore_kill.moc"
