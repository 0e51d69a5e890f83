#include "app/mainwindow/BagList.h"
#include "support/BagPrompts.h"
#include "support/DirectoryContents.h"
#include "support/Form1Harness.h"
#include "support/PrivateMounts.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <optional>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

// Save and load against a file system that fills up and one that is read-only: the usual reports
// appear, Save stays off after a failed save, and no byte of a bag or of palace.prp is lost.
// The test process moves into its own mount namespace (as root, or as root of a new user namespace),
// so its small tmpfs mounts are invisible to the machine and vanish with the process. Where no mount can
// be made, read-only is made of permission bits instead (root, which ignores them, works through a child
// running as nobody) and the full-disk cases are skipped. STOWBOX_TEST_NO_MOUNTS=1 forces that route.

namespace {

enum class Operation { Save, Load };
enum class Medium { SmallTmpfs, ReadOnly };
enum class Place { ProgramDirectory, PalaceDirectory };

constexpr int tmpfsKiB = 64;
constexpr uid_t nobody = 65534;
const QString bagName = QStringLiteral("a.prp");

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

qulonglong freeBytes(const QString& directory) {
    struct statvfs info {};
    return statvfs(directory.toLocal8Bit().constData(), &info) == 0 ? qulonglong(info.f_bfree) * info.f_frsize
                                                                    : 0;
}

QByteArray filled(int kib, char seed) {
    QByteArray bytes(kib * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(seed + i % 251);
    return bytes;
}

// Writes into the directory until its file system is full.
bool fillUp(const QString& directory) {
    QFile filler(directory + QStringLiteral("/filler"));
    while (filler.isOpen() || filler.open(QIODevice::WriteOnly))
        if (filler.write(filled(4, 'F')) < 0 || !filler.flush())
            return true;
    return false;
}

// Runs checks in a forked child that has dropped root; false when the child failed or could not drop it.
bool runAsNobody(const std::function<void()>& checks) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0) {
            std::fprintf(stderr, "cannot become nobody: %s\n", std::strerror(errno));
            _exit(2);
        }
        checks();
        std::fflush(stdout);
        _exit(QTest::currentTestFailed() ? 1 : 0);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

class DiskFaultsTest : public QObject {
    Q_OBJECT

    bool mounts_ = false;
    QString noMountReason_;

private slots:
    void initTestCase() {
        noMountReason_ = qEnvironmentVariableIsSet("STOWBOX_TEST_NO_MOUNTS")
                             ? QStringLiteral("STOWBOX_TEST_NO_MOUNTS is set")
                             : enterPrivateMountNamespace();
        mounts_ = noMountReason_.isEmpty();
        if (!mounts_)
            qInfo("no private mounts (%s): read-only is made of permission bits, full disks are skipped",
                  qPrintable(noMountReason_));
    }

    void writeFailures_data() {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<bool>("dsr");
        QTest::addColumn<bool>("saveFirst");
        QTest::addColumn<Place>("place"); // the directory on the small or read-only file system
        QTest::addColumn<Medium>("medium");
        QTest::addColumn<int>("liveKiB");
        QTest::addColumn<int>("bagKiB");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("saveFails");
        QTest::addColumn<bool>("loadFails");

        const auto program = Place::ProgramDirectory;
        const auto palace = Place::PalaceDirectory;
        const auto full = Medium::SmallTmpfs;
        const auto readOnly = Medium::ReadOnly;
        // A 64 KiB file system that holds a 40 KiB file has no room for a second one beside it, which a
        // replacement that never leaves a half-written destination needs.
        QTest::newRow("save, full disk, new bag")
            << Operation::Save << false << false << program << full << 40 << 40 << "new" << true << false;
        QTest::newRow("save, full disk, replacing the bag")
            << Operation::Save << false << false << program << full << 40 << 40 << "a" << true << false;
        QTest::newRow("save, small disk with room")
            << Operation::Save << false << false << program << full << 16 << 8 << "new" << false << false;
        QTest::newRow("save, read-only, new bag")
            << Operation::Save << false << false << program << readOnly << 8 << 8 << "new" << true << false;
        QTest::newRow("save, read-only, replacing the bag")
            << Operation::Save << false << false << program << readOnly << 8 << 8 << "a" << true << false;
        QTest::newRow("load, full disk")
            << Operation::Load << false << false << palace << full << 40 << 40 << "" << false << true;
        QTest::newRow("load, full disk, safety off")
            << Operation::Load << true << false << palace << full << 40 << 40 << "" << false << true;
        QTest::newRow("load, small disk with room")
            << Operation::Load << false << false << palace << full << 16 << 16 << "" << false << false;
        QTest::newRow("load, read-only")
            << Operation::Load << false << false << palace << readOnly << 8 << 8 << "" << false << true;
        QTest::newRow("load, read-only, safety off")
            << Operation::Load << true << false << palace << readOnly << 8 << 8 << "" << false << true;
        QTest::newRow("load saving first into a full program directory")
            << Operation::Load << false << true << program << full << 40 << 40 << "keep" << true << false;
        QTest::newRow("load saving first into a read-only program directory")
            << Operation::Load << false << true << program << readOnly << 8 << 8 << "keep" << true << false;
    }

    void writeFailures() {
        QFETCH(Operation, operation);
        QFETCH(bool, dsr);
        QFETCH(bool, saveFirst);
        QFETCH(Place, place);
        QFETCH(Medium, medium);
        QFETCH(int, liveKiB);
        QFETCH(int, bagKiB);
        QFETCH(QString, typed);
        QFETCH(bool, saveFails);
        QFETCH(bool, loadFails);
        if (medium == Medium::SmallTmpfs && !mounts_)
            QSKIP(qPrintable("a small file system cannot be mounted here: " + noMountReason_));
        const bool asNobody = !mounts_ && geteuid() == 0;

        Form1Harness h;
        const QString special = place == Place::ProgramDirectory ? h.programDir.path() : h.palaceDir.path();
        const QString other = place == Place::ProgramDirectory ? h.palaceDir.path() : h.programDir.path();
        std::optional<TmpfsMount> tmpfs;
        if (mounts_) {
            tmpfs.emplace(special, medium == Medium::SmallTmpfs ? tmpfsKiB : 1024);
            QVERIFY2(tmpfs->error.isEmpty(), qPrintable("mounting a tmpfs: " + tmpfs->error));
        }
        const QByteArray live = filled(liveKiB, 'L');
        const QByteArray bag = filled(bagKiB, 'B');
        writeFile(h.livePath(), live);
        writeFile(h.bagPath(bagName), bag);
        h.storePalaceDirectory();
        if (medium == Medium::ReadOnly) {
            if (mounts_)
                QVERIFY(tmpfs->makeReadOnly());
            else
                QVERIFY(QFile::setPermissions(special, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                           QFileDevice::ReadOther | QFileDevice::ExeOther));
            if (asNobody) // nobody may read both and write the other directory
                QVERIFY(QFile::setPermissions(other, QFileDevice::Permissions(0x7777)));
        }
        const qulonglong freeBefore = freeBytes(special);
        const int reason = medium == Medium::SmallTmpfs ? ENOSPC : mounts_ ? EROFS : EACCES;

        QStringList expectedPrompts;
        if (operation == Operation::Save) {
            h.prompter.answerText(typed);
            expectedPrompts << askBagName;
        } else if (!dsr) {
            h.prompter.answerMessage(saveFirst ? Pressed::Yes : Pressed::No);
            expectedPrompts << loadQuestion;
            if (saveFirst) {
                h.prompter.answerText(typed);
                expectedPrompts << askBagName;
            }
        }
        if (saveFails) {
            h.prompter.answerMessage(Pressed::Ok);
            expectedPrompts << palaceFilesError;
        }
        if (operation == Operation::Load) {
            if (!dsr) {
                h.prompter.answerMessage(Pressed::Ok);
                expectedPrompts << finalLoadQuestion(bagName);
            }
            if (loadFails || !dsr) {
                h.prompter.answerMessage(Pressed::Ok);
                expectedPrompts << (loadFails
                                        ? loadFailure(h.bagPath(bagName), h.livePath(), systemError(reason))
                                        : loadDone(bagName));
            }
        }

        const auto checks = [&] {
            Form1Probe f = h.start();
            QCOMPARE(f.Selpath, h.palaceDirectory());
            if (dsr)
                f.menDSR->trigger();
            QVERIFY(f.selectBag(bagName));
            (operation == Operation::Save ? f.Command2 : f.Command1)->click();

            QCOMPARE(describe(h.prompter.requests), expectedPrompts);
            QCOMPARE(h.prompter.unexpected, QStringList());
            // A failed save leaves Save and Load off; a load keeps Load on; the list is on afterwards.
            QCOMPARE(f.Command1->isEnabled(), operation == Operation::Load);
            QCOMPARE(f.Command2->isEnabled(), !saveFails);
            QVERIFY(f.File1->isEnabled());

            QStringList bags{bagName};
            if (!saveFails && !typed.isEmpty())
                bags << typed + QStringLiteral(".prp");
            bags.sort();
            QCOMPARE(entryNames(h.programDir.path()), bags);
            QCOMPARE(readFile(h.bagPath(bagName)), bag);
            if (!saveFails && !typed.isEmpty())
                QCOMPARE(readFile(h.bagPath(typed + QStringLiteral(".prp"))), live);
            const bool loaded = operation == Operation::Load && !loadFails;
            // The palace.prp that a load replaced on a file system of its own waits in that one's trash.
            const QString trash = ".Trash-" + QString::number(getuid());
            const bool kept = loaded && place == Place::PalaceDirectory && mounts_;
            QCOMPARE(entryNames(h.palaceDir.path()),
                     kept ? QStringList({trash, "palace.prp"}) : QStringList("palace.prp"));
            QVERIFY(!kept || readFile(h.palaceDir.filePath(trash + "/files/palace.prp")) == live);
            QVERIFY(readFile(h.livePath()) == (loaded ? bag : live));
            // Nothing half-written is left, not even an unlinked temporary file held open. Only our own
            // tmpfs says so: the free space of a shared disk moves with everything else on the machine.
            const bool failedThere = (place == Place::ProgramDirectory && saveFails) ||
                                     (place == Place::PalaceDirectory && loadFails);
            if (mounts_ && failedThere)
                QCOMPARE(freeBytes(special), freeBefore);
        };
        if (asNobody)
            QVERIFY2(runAsNobody(checks), "the checks failed in the child running as nobody (see above)");
        else
            checks();
        if (!mounts_)
            QFile::setPermissions(special, QFileDevice::Permissions(0x7700));
    }

    // A bag on another mount goes to that mount's own trash, made or checked as file managers do; where
    // none can be, a checked copy goes to the home trash.
    void anotherMountKeepsItsOwnTrash_data() {
        QTest::addColumn<QString>("top"); // what the mount's top folder holds first
        QTest::addColumn<QString>("can"); // the trash that takes the bag; empty: the home trash
        QTest::newRow("nothing: .Trash-$uid is made") << ""
                                                      << ".Trash-%1";
        QTest::newRow("a shared .Trash with the sticky bit") << "sticky"
                                                             << ".Trash/%1";
        QTest::newRow("a shared .Trash without it") << "plain"
                                                    << ".Trash-%1";
        QTest::newRow("no trash can be made there") << "blocked"
                                                    << "";
        // Nor in the home trash: the bag goes only with the user's word, and without it stays.
        QTest::newRow("no trash at all: refused") << "nowhere"
                                                  << "";
        QTest::newRow("no trash at all: agreed") << "nowhere"
                                                 << "agreed";
    }

    void anotherMountKeepsItsOwnTrash() {
        QFETCH(QString, top);
        QFETCH(QString, can);
        if (!mounts_)
            QSKIP(qPrintable("no file system can be mounted here: " + noMountReason_));
        const QString home = qEnvironmentVariable("XDG_DATA_HOME") + "/Trash";
        QVERIFY(QDir(home).removeRecursively());
        Form1Harness h;
        const QString mount = h.programDir.path();
        TmpfsMount tmpfs(mount, 1024);
        QVERIFY2(tmpfs.error.isEmpty(), qPrintable(tmpfs.error));
        const QString uid = QString::number(getuid());
        if (top == "blocked" || top == "nowhere")
            writeFile(mount + "/.Trash-" + uid, "not a folder");
        else if (!top.isEmpty())
            QCOMPARE(mkdir(QFile::encodeName(mount + "/.Trash").constData(), top == "sticky" ? 01777 : 0777),
                     0);
        QVERIFY(QDir(mount).mkdir("bags"));
        writeFile(mount + "/bags/a.prp", "old");
        const QByteArray bag = QFile::encodeName(mount + "/bags/a.prp");
        if (top == "nowhere") {
            writeFile(home, "not a folder");
            const StepResult result =
                h.fileSteps.steps.remove(FilePlace::split(bag), can.isEmpty() ? refuse : agree);
            QVERIFY(QFile::remove(home));
            QCOMPARE(result.ok(), !can.isEmpty());
            QCOMPARE((result.is(StepResult::Kind::NotTrashable) ? result.file : QByteArray()),
                     can.isEmpty() ? bag : QByteArray());
            QCOMPARE(entryNames(mount + "/bags"), can.isEmpty() ? QStringList("a.prp") : QStringList());
            return;
        }
        QVERIFY(h.fileSteps.steps.remove(FilePlace::split(bag)).ok());
        const QString kept = can.isEmpty() ? home : mount + "/" + can.arg(uid);
        QCOMPARE(readFile(kept + "/files/a.prp"), QByteArray("old"));
        // Paths in a mount's own trash are relative to its top, as it may be mounted elsewhere next time.
        const QByteArray path = can.isEmpty() ? QFile::encodeName(mount) + "/bags/a.prp" : "bags/a.prp";
        QVERIFY(readFile(kept + "/info/a.prp.trashinfo").contains("\nPath=" + path + "\n"));
    }

    // Reading the setting touches nothing but its file; a write that finds the disk full keeps every byte.
    void settingsOnFaultyDisks_data() {
        QTest::addColumn<Medium>("medium");
        QTest::addColumn<bool>("temporaryFolder"); // on the small or read-only file system; else the settings
        QTest::addColumn<QByteArray>("before");    // the settings file; empty: as the path dialog writes it
        QTest::newRow("full temporary folder: read") << Medium::SmallTmpfs << true << QByteArray();
        QTest::newRow("read-only temporary folder: read") << Medium::ReadOnly << true << QByteArray();
        QTest::newRow("full settings disk: Ok reports, the file stays")
            << Medium::SmallTmpfs << false << QByteArray();
        QTest::newRow("full settings disk, corrupt file: Ok reports, nothing half-kept")
            << Medium::SmallTmpfs << false << QByteArray("\x01 not settings\n");
    }

    void settingsOnFaultyDisks() {
        QFETCH(Medium, medium);
        QFETCH(bool, temporaryFolder);
        QFETCH(QByteArray, before);
        if (!mounts_)
            QSKIP(qPrintable("no file system can be mounted here: " + noMountReason_));
        Form1Harness h;
        const QTemporaryDir temporary;
        const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
        TmpfsMount tmpfs(temporaryFolder ? temporary.path() : config, tmpfsKiB);
        QVERIFY2(tmpfs.error.isEmpty(), qPrintable("mounting a tmpfs: " + tmpfs.error));
        h.storePalaceDirectory();
        const QString settingsFile = config + QStringLiteral("/Stowbox.conf");
        if (!before.isEmpty())
            writeFile(settingsFile, before);
        const QByteArray stored = readFile(settingsFile);
        QVERIFY(medium == Medium::ReadOnly ? tmpfs.makeReadOnly()
                                           : fillUp(temporaryFolder ? temporary.path() : config));
        const QByteArray temporaryBefore = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(temporary.path()));
        Form1Probe f = h.start();
        qputenv("TMPDIR", temporaryBefore);
        QCOMPARE(f.Selpath, before.isEmpty() ? h.palaceDirectory() : QString());
        if (temporaryFolder)
            return;
        f.menPpal->trigger();
        f.dialog().Selpath = h.palaceDir.path();
        h.prompter.answerMessage(Pressed::Ok);
        f.dialog().Command1->click();
        const QString reported = "The Palace directory could not be stored.\rThe settings file " +
                                 settingsFile + " cannot be written: " + systemError(ENOSPC) +
                                 ".\rNothing was changed.";
        QCOMPARE(describe(h.prompter.requests), QStringList{messageRequest("Settings Error", 16, reported)});
        QVERIFY(f.pathDialog()->isVisible());
        QCOMPARE(readFile(settingsFile), stored);
        QCOMPARE(entryNames(config), QStringList({QStringLiteral("Stowbox.conf"), QStringLiteral("filler")}));
    }
};

QTEST_MAIN(DiskFaultsTest)
#include "tst_diskfaults.moc"
