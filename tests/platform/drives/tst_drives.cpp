#include "platform/drives/DriveScanner.h"
#include "platform/files/DirectoryReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

// What the path dialog's lists are made of: the drives of this machine and the Wine prefix, and the
// subdirectories of a directory.
class DrivesTest : public QObject {
    Q_OBJECT

private slots:
    void realFileSystems_data() {
        QTest::addColumn<QString>("mountPath");
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<bool>("real");
        QTest::newRow("root") << "/" << QByteArray("ext4") << true;
        QTest::newRow("home partition") << "/home" << QByteArray("btrfs") << true;
        QTest::newRow("usb stick") << "/media/user/STICK" << QByteArray("vfat") << true;
        QTest::newRow("usb stick under /run/media") << "/run/media/user/STICK" << QByteArray("exfat") << true;
        QTest::newRow("tmp in memory") << "/tmp" << QByteArray("tmpfs") << true;
        QTest::newRow("network share") << "/mnt/share" << QByteArray("cifs") << true;
        QTest::newRow("proc") << "/proc" << QByteArray("proc") << false;
        QTest::newRow("sysfs") << "/sys" << QByteArray("sysfs") << false;
        QTest::newRow("cgroup") << "/sys/fs/cgroup" << QByteArray("cgroup2") << false;
        QTest::newRow("shared memory") << "/dev/shm" << QByteArray("tmpfs") << false;
        QTest::newRow("user runtime") << "/run/user/1000" << QByteArray("tmpfs") << false;
        QTest::newRow("snap package") << "/snap/core/1" << QByteArray("squashfs") << false;
        QTest::newRow("gvfs") << "/run/user/1000/gvfs" << QByteArray("fuse.gvfsd-fuse") << false;
        QTest::newRow("automount point") << "/net" << QByteArray("autofs") << false;
        QTest::newRow("a directory named like a system one") << "/runner" << QByteArray("ext4") << true;
    }

    void realFileSystems() {
        QFETCH(QString, mountPath);
        QFETCH(QByteArray, type);
        QFETCH(bool, real);
        QCOMPARE(DriveScanner::isRealFileSystem(mountPath, type), real);
    }

    void volumesRootFirstOnceEach() {
        const QList<Drive> volumes = DriveScanner::volumes({{"/media/b", "vfat"},
                                                            {"/proc", "proc"},
                                                            {"/home", "ext4"},
                                                            {"/", "ext4"},
                                                            {"/home", "ext4"},
                                                            {"/dev/shm", "tmpfs"}});
        QCOMPARE(volumes, QList<Drive>({{"/", "/"}, {"/home", "/home"}, {"/media/b", "/media/b"}}));
    }

    // ctest gives this test its own WINEPREFIX; the letters are made there as Wine makes them.
    void wineDriveLetters() {
        const QString prefix = qEnvironmentVariable("WINEPREFIX");
        QVERIFY2(!prefix.isEmpty(), "run through ctest, which sets WINEPREFIX");
        QCOMPARE(DriveScanner::winePrefix(), prefix);
        QDir(prefix).removeRecursively();
        const QDir devices(prefix + "/dosdevices");
        QVERIFY(QDir().mkpath(devices.path()));
        QVERIFY(QDir().mkpath(prefix + "/drive_c/Program Files/Palace"));
        const QList<std::pair<const char*, QString>> links = {
            {"c:", "../drive_c"},   {"z:", "/"},   {"d:", "/nonexistent/cdrom"}, {"d::", "/dev/sr0"},
            {"com1", "/dev/ttyS0"}, {"E:", "/tmp"}};
        for (const auto& [name, target] : links)
            QVERIFY(QFile::link(target, devices.filePath(name)));

        const QList<Drive> letters = DriveScanner::wineDrives(DriveScanner::winePrefix());

        QCOMPARE(letters, QList<Drive>({{"c:", QDir::cleanPath(prefix + "/drive_c")},
                                        {"d:", "/nonexistent/cdrom"},
                                        {"z:", "/"}}));
        const QList<Drive> all = DriveScanner::drives();
        QVERIFY(all.size() > letters.size());
        QCOMPARE(all.first(), Drive({"/", "/"}));
        QCOMPARE(all.mid(all.size() - letters.size()), letters);
        QDir(prefix).removeRecursively();
    }

    void winePrefixDefaultsToHome() {
        const QByteArray saved = qgetenv("WINEPREFIX");
        qunsetenv("WINEPREFIX");
        const QString prefix = DriveScanner::winePrefix();
        qputenv("WINEPREFIX", saved);
        QCOMPARE(prefix, QDir::homePath() + "/.wine");
    }

    void noPrefixNoLetters() {
        QTemporaryDir empty;
        QCOMPARE(DriveScanner::wineDrives(empty.path()), QList<Drive>());
    }

    void subdirectoriesHiddenAndLinkedIncluded() {
        QTemporaryDir root;
        for (const char* dir : {".wine", "Zeta", "alpha", "Beta", "with space", "ümlaut"})
            QVERIFY(QDir(root.path()).mkdir(dir));
        QVERIFY(QFile::link(root.filePath("alpha"), root.filePath("linked")));
        QVERIFY(QFile::link(root.filePath("missing"), root.filePath("dangling")));
        QFile file(root.filePath("palace.prp"));
        QVERIFY(file.open(QIODevice::WriteOnly));

        const StepValue<QStringList> names = DirectoryReader::subdirectories(root.path());

        QVERIFY(names.result.ok());
        QCOMPARE(names.value,
                 QStringList({".wine", "alpha", "Beta", "linked", "with space", "Zeta", "ümlaut"}));
        QCOMPARE(DirectoryReader::subdirectories(root.filePath("Zeta")).value, QStringList());
    }

    void notListable_data() {
        QTest::addColumn<QString>("relative");
        QTest::newRow("missing") << "gone";
        QTest::newRow("a file") << "palace.prp";
        QTest::newRow("a dangling link") << "dangling";
    }

    void notListable() {
        QFETCH(QString, relative);
        QTemporaryDir root;
        QFile file(root.filePath("palace.prp"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(root.filePath("missing"), root.filePath("dangling")));
        QVERIFY(!DirectoryReader::subdirectories(root.filePath(relative)).result.ok());
    }

    // Root reads every directory, so as root an unreadable one is tried by a child running as "nobody".
    void unreadableDirectory() {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkdir("closed"));
        QVERIFY(QFile::setPermissions(root.path(), QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner |
                                                       QFile::ExeOther | QFile::ReadOther));
        QVERIFY(QFile::setPermissions(root.filePath("closed"), QFile::ExeOwner));
        if (geteuid() != 0) {
            QVERIFY(!DirectoryReader::subdirectories(root.filePath("closed")).result.ok());
            return;
        }
        const passwd* nobody = getpwnam("nobody");
        if (!nobody)
            QSKIP("running as root and there is no user \"nobody\" to try it as");

        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            if (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
                _exit(3);
            const bool refused = !DirectoryReader::subdirectories(root.filePath("closed")).result.ok();
            const bool readsTheParent = DirectoryReader::subdirectories(root.path()).result.ok();
            _exit(refused && readsTheParent ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        if (WEXITSTATUS(status) == 3)
            QSKIP("could not become \"nobody\"");
        QCOMPARE(WEXITSTATUS(status), 0);
    }
};

QTEST_GUILESS_MAIN(DrivesTest)
#include "tst_drives.moc"
