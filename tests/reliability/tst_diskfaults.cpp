#include "app/BagList.h"
#include "app/Form1Texts.h"
#include "props/BagPaths.h"
#include "support/Form1Harness.h"

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
#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

// Save and load against a file system that fills up and one that is read-only: the specified messages
// appear, Save's availability follows the failure row, and no byte of a bag or of palace.prp is lost.
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

bool writeText(const char* path, const QByteArray& text) {
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// Empty when the process now has a private mount namespace in which it may mount; else why not.
QString enterPrivateMountNamespace() {
    if (geteuid() != 0) {
        const uid_t uid = geteuid();
        const gid_t gid = getegid();
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return QStringLiteral("unshare of a user and mount namespace: ") + systemError(errno);
        if (!writeText("/proc/self/setgroups", "deny") ||
            !writeText("/proc/self/uid_map", QByteArray("0 ") + QByteArray::number(uid) + " 1") ||
            !writeText("/proc/self/gid_map", QByteArray("0 ") + QByteArray::number(gid) + " 1"))
            return QStringLiteral("cannot map the user into the new namespace");
    } else if (unshare(CLONE_NEWNS) != 0) {
        return QStringLiteral("unshare of a mount namespace: ") + systemError(errno);
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return QStringLiteral("making the mounts private: ") + systemError(errno);
    return {};
}

// A tmpfs over a directory for the life of the object.
class TmpfsMount {
public:
    TmpfsMount(const QString& directory, int sizeKiB) : directory_(directory.toLocal8Bit()) {
        const QByteArray options = "mode=0700,size=" + QByteArray::number(sizeKiB) + "k";
        if (mount("tmpfs", directory_.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) != 0)
            error = systemError(errno);
    }
    ~TmpfsMount() {
        if (error.isEmpty())
            umount2(directory_.constData(), MNT_DETACH);
    }
    bool makeReadOnly() {
        return mount(nullptr, directory_.constData(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV,
                     nullptr) == 0;
    }
    QString error;

private:
    QByteArray directory_;
};

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

QStringList everythingIn(const QString& directory) {
    return QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                     QDir::Name);
}

QStringList titlesOf(const QList<FakePrompter::Request>& requests) {
    QStringList titles;
    for (const auto& r : requests)
        titles << r.title;
    return titles;
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
        Form1Harness::writeFile(h.livePath(), live);
        Form1Harness::writeFile(h.bagPath(bagName), bag);
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

        QStringList expectedTitles;
        if (operation == Operation::Save) {
            h.prompter.answerText(typed);
            expectedTitles << Form1Texts::saveNameTitle;
        } else if (!dsr) {
            h.prompter.answerMessage(saveFirst ? Answer::Yes : Answer::No);
            expectedTitles << Form1Texts::loadQuestionTitle;
            if (saveFirst) {
                h.prompter.answerText(typed);
                expectedTitles << Form1Texts::saveNameTitle;
            }
        }
        if (saveFails) {
            h.prompter.answerMessage(Answer::Ok);
            expectedTitles << Form1Texts::palaceFilesTitle;
        }
        if (operation == Operation::Load) {
            if (!dsr) {
                h.prompter.answerMessage(Answer::Ok);
                expectedTitles << Form1Texts::finalLoadTitle;
            }
            if (loadFails || !dsr) {
                h.prompter.answerMessage(Answer::Ok);
                expectedTitles << (loadFails ? Form1Texts::loadErrorTitle : Form1Texts::loadDoneTitle);
            }
        }

        const auto checks = [&] {
            Form1Probe f = h.start();
            QCOMPARE(f.Selpath, h.palaceDirectory());
            if (dsr)
                f.menDSR->trigger();
            QVERIFY(f.File1->selectName(bagName));
            (operation == Operation::Save ? f.Command2 : f.Command1)->click();

            QCOMPARE(titlesOf(h.prompter.requests), expectedTitles);
            QCOMPARE(h.prompter.unexpected, QStringList());
            for (const auto& r : h.prompter.requests) {
                if (r.title == Form1Texts::palaceFilesTitle) {
                    QCOMPARE(r.text, Form1Texts::palaceFilesText);
                    QCOMPARE(r.style, MessageStyle::Critical);
                } else if (r.title == Form1Texts::loadErrorTitle) {
                    QCOMPARE(r.style, MessageStyle::Critical);
                    QVERIFY2(r.text.contains(systemError(reason)), qPrintable(r.text));
                }
            }
            // A failed save leaves Save and Load off; a load keeps Load on; the list is on afterwards.
            QCOMPARE(f.Command1->isEnabled(), operation == Operation::Load);
            QCOMPARE(f.Command2->isEnabled(), !saveFails);
            QVERIFY(f.File1->isEnabled());

            QStringList bags{bagName};
            if (!saveFails && !typed.isEmpty())
                bags << typed + BagPaths::bagExtension;
            bags.sort();
            QCOMPARE(everythingIn(h.programDir.path()), bags);
            QCOMPARE(Form1Harness::readFile(h.bagPath(bagName)), bag);
            if (!saveFails && !typed.isEmpty())
                QCOMPARE(Form1Harness::readFile(h.bagPath(typed + BagPaths::bagExtension)), live);
            QCOMPARE(everythingIn(h.palaceDir.path()), QStringList{QStringLiteral("palace.prp")});
            const bool loaded = operation == Operation::Load && !loadFails;
            QVERIFY(Form1Harness::readFile(h.livePath()) == (loaded ? bag : live));
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
            Form1Harness::writeFile(settingsFile, before);
        const QByteArray stored = Form1Harness::readFile(settingsFile);
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
        h.prompter.answerMessage(Answer::Ok);
        f.dialog().Command1->click();
        QCOMPARE(titlesOf(h.prompter.requests), QStringList{QStringLiteral("Settings Error")});
        QVERIFY2(
            h.prompter.requests[0].text.contains(settingsFile + " cannot be written: " + systemError(ENOSPC)),
            qPrintable(h.prompter.requests[0].text));
        QVERIFY(f.pathDialog()->isVisible());
        QCOMPARE(Form1Harness::readFile(settingsFile), stored);
        QCOMPARE(everythingIn(config),
                 QStringList({QStringLiteral("Stowbox.conf"), QStringLiteral("filler")}));
    }
};

QTEST_MAIN(DiskFaultsTest)
#include "tst_diskfaults.moc"
