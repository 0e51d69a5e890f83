#include "platform/files/PosixFileSystem.h"
#include "props/BagStore.h"
#include "support/ChildProcess.h"
#include "support/FaultyFileSystem.h"
#include "support/FileBytes.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {
constexpr uid_t nobody = 65534;

mode_t modeOf(const QString& path) {
    struct stat status {};
    return lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

// The bytes of a file by its exact name, which need not be text.
QByteArray bytesOf(const QByteArray& path) {
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    return fd >= 0 && file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle) ? file.readAll() : "<none>";
}

QByteArray pattern(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xff);
    return bytes;
}
} // namespace

class BagStoreTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    PosixFileSystem fs;
    BagStore store{fs};

    QString path(const QString& name) const { return dir.filePath(name); }
    // The home trash of this test's own data folder, emptied before each test.
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash");
    QByteArray at(const QString& name) const { return QFile::encodeName(path(name)); }
    // Everything in the directory, hidden files included: nothing may be left behind.
    QStringList entries() const {
        QStringList names =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        names.sort();
        return names;
    }

private slots:
    void init() {
        // Qt cannot remove a name that is not valid text
        QCOMPARE(QProcess::execute("rm", {"-rf", trash}), 0);
        for (const QString& name : entries())
            QVERIFY(QFileInfo(path(name)).isDir() && !QFileInfo(path(name)).isSymLink()
                        ? QDir(path(name)).removeRecursively()
                        : QFile::remove(path(name)));
    }

    void copyReplacesDestination_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QByteArray>("old"); // "<none>": the destination does not exist
        QTest::newRow("new file") << QByteArray("props") << QByteArray("<none>");
        QTest::newRow("longer old file") << QByteArray("new") << QByteArray(100000, 'o');
        QTest::newRow("shorter old file") << pattern(300000) << QByteArray("old");
        QTest::newRow("empty source") << QByteArray() << QByteArray("old");
        QTest::newRow("several megabytes") << pattern(5 << 20) << pattern(1 << 20);
        QTest::newRow("same bytes") << QByteArray("same") << QByteArray("same");
    }

    void copyReplacesDestination() {
        QFETCH(QByteArray, source);
        QFETCH(QByteArray, old);
        writeFile(path("source.prp"), source);
        if (old != "<none>")
            writeFile(path("palace.prp"), old);
        const StepResult result = store.copyFile(at("source.prp"), at("palace.prp"));
        QVERIFY2(result.ok, qPrintable(result.reason));
        QCOMPARE(readFile(path("palace.prp")), source);
        QCOMPARE(readFile(path("source.prp")), source);
        QCOMPARE(entries(), QStringList({"palace.prp", "source.prp"}));
    }

    void copyKeepsTheReplacedFilesPermissions_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("private") << 0600;
        QTest::newRow("group readable") << 0640;
        QTest::newRow("read-only file") << 0444;
        QTest::newRow("executable") << 0755;
    }

    void copyKeepsTheReplacedFilesPermissions() {
        QFETCH(int, mode);
        writeFile(path("source.prp"), "new");
        writeFile(path("palace.prp"), "old");
        QCOMPARE(chmod(QFile::encodeName(path("palace.prp")).constData(), mode_t(mode)), 0);
        QVERIFY(store.copyFile(at("source.prp"), at("palace.prp")).ok);
        QCOMPARE(modeOf(path("palace.prp")), mode_t(mode));
        QCOMPARE(readFile(path("palace.prp")), QByteArray("new"));
    }

    void newFileGetsTheDefaultPermissions() {
        writeFile(path("source.prp"), "new");
        QCOMPARE(chmod(QFile::encodeName(path("source.prp")).constData(), 0600), 0);
        const mode_t previous = umask(027);
        const bool ok = store.copyFile(at("source.prp"), at("bag.prp")).ok;
        umask(previous);
        QVERIFY(ok);
        QCOMPARE(modeOf(path("bag.prp")), mode_t(0640));
    }

    void copyGoesThroughSymbolicLinks_data() {
        QTest::addColumn<QStringList>("links"); // pairs: link name, what it points to
        QTest::addColumn<QString>("target");    // the file that must receive the copy
        QTest::newRow("relative") << QStringList({"palace.prp", "real/palace.prp"}) << "real/palace.prp";
        QTest::newRow("absolute") << QStringList({"palace.prp", "@/real/palace.prp"}) << "real/palace.prp";
        QTest::newRow("chain") << QStringList({"palace.prp", "real/hop.prp", "real/hop.prp", "palace.prp"})
                               << "real/palace.prp";
        QTest::newRow("relative from a linked folder")
            << QStringList({"palace.prp", "real/up.prp", "real/up.prp", "../real/palace.prp"})
            << "real/palace.prp";
        QTest::newRow("to a file not there yet")
            << QStringList({"palace.prp", "real/new.prp"}) << "real/new.prp";
    }

    void copyGoesThroughSymbolicLinks() {
        QFETCH(QStringList, links);
        QFETCH(QString, target);
        QVERIFY(QDir(dir.path()).mkdir("real"));
        writeFile(path("real/palace.prp"), "old");
        writeFile(path("source.prp"), "new");
        for (qsizetype i = 0; i < links.size(); i += 2) {
            QString pointsTo = links[i + 1];
            if (pointsTo.startsWith('@'))
                pointsTo = dir.path() + pointsTo.mid(1);
            QCOMPARE(symlink(QFile::encodeName(pointsTo).constData(),
                             QFile::encodeName(path(links[i])).constData()),
                     0);
        }
        const StepResult result = store.copyFile(at("source.prp"), at("palace.prp"));
        QVERIFY2(result.ok, qPrintable(result.reason));
        QVERIFY(QFileInfo(path("palace.prp")).isSymLink());
        QCOMPARE(readFile(path(target)), QByteArray("new"));
        QCOMPARE(readFile(path("palace.prp")), QByteArray("new"));
        for (const QString& name : entries() + QDir(path("real")).entryList(QDir::Hidden | QDir::Files))
            QVERIFY2(!name.startsWith(".stowbox-"), qPrintable(name));
    }

    void linkLoopFails() {
        writeFile(path("source.prp"), "new");
        QCOMPARE(symlink("b.prp", QFile::encodeName(path("a.prp")).constData()), 0);
        QCOMPARE(symlink("a.prp", QFile::encodeName(path("b.prp")).constData()), 0);
        const StepResult result = store.copyFile(at("source.prp"), at("a.prp"));
        QVERIFY(!result.ok);
        QCOMPARE(result.reason, QString::fromLocal8Bit(strerror(ELOOP)));
        QCOMPARE(entries(), QStringList({"a.prp", "b.prp", "source.prp"}));
    }

    void failedCopiesChangeNothing_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<int>("error");
        QTest::newRow("missing source") << "gone.prp"
                                        << "palace.prp" << ENOENT;
        QTest::newRow("source is a folder") << "folder"
                                            << "palace.prp" << EISDIR;
        QTest::newRow("source is a pipe") << "pipe"
                                          << "palace.prp" << EINVAL;
        QTest::newRow("source is a device") << "/dev/zero"
                                            << "palace.prp" << EINVAL;
        QTest::newRow("missing destination folder") << "source.prp"
                                                    << "nowhere/palace.prp" << ENOENT;
        QTest::newRow("destination is a folder") << "source.prp"
                                                 << "folder" << EISDIR;
        QTest::newRow("destination ends in a separator") << "source.prp"
                                                         << "folder/" << EISDIR;
        QTest::newRow("destination below a file") << "source.prp"
                                                  << "source.prp/x.prp" << ENOTDIR;
    }

    void failedCopiesChangeNothing() {
        QFETCH(QString, source);
        QFETCH(QString, destination);
        QFETCH(int, error);
        writeFile(path("source.prp"), "new");
        writeFile(path("palace.prp"), "old");
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        QCOMPARE(mkfifo(QFile::encodeName(path("pipe")).constData(), 0600), 0);
        const QStringList before = entries();
        const StepResult result = store.copyFile(
            source.startsWith(QLatin1Char('/')) ? source.toUtf8() : at(source), at(destination));
        QVERIFY(!result.ok);
        QCOMPARE(result.reason, QString::fromLocal8Bit(strerror(error)));
        QCOMPARE(entries(), before);
        QVERIFY(QDir(path("folder")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        QCOMPARE(readFile(path("palace.prp")), QByteArray("old"));
        QCOMPARE(readFile(path("source.prp")), QByteArray("new"));
    }

    void copyIntoReadOnlyFolderFails() {
        QTemporaryDir other;
        writeFile(path("source.prp"), "new");
        writeFile(other.filePath("palace.prp"), "old");
        const QString source = path("source.prp");
        const QString destination = other.filePath("palace.prp");
        const int status = ChildProcess::runWithReadOnlyDirectory(other.path(), [&] {
            const StepResult result =
                store.copyFile(QFile::encodeName(source), QFile::encodeName(destination));
            return !result.ok && result.reason == QString::fromLocal8Bit(strerror(EROFS)) ? 0 : 1;
        });
        if (status == ChildProcess::setupFailed)
            QSKIP(qPrintable(ChildProcess::skipReason()));
        QCOMPARE(status, 0);
        QCOMPARE(readFile(destination), QByteArray("old"));
        QCOMPARE(QDir(other.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({"palace.prp"}));
    }

    // Replacing works by renaming over the file, which the folder alone allows; a file that the user may
    // not write is still refused, as any program writing into it would be.
    void fileTheUserMayNotWriteIsNotReplaced() {
        QVERIFY(QDir(dir.path()).mkdir("shared"));
        writeFile(path("shared/source.prp"), "new");
        writeFile(path("shared/palace.prp"), "old");
        const QByteArray source = at("shared/source.prp");
        const QString shared = path("shared");
        const auto attempt = [&] {
            const StepResult refused = store.copyFile(source, at("shared/palace.prp"));
            const bool newFileAllowed = store.copyFile(source, at("shared/other.prp")).ok;
            return !refused.ok && refused.reason == QString::fromLocal8Bit(strerror(EACCES)) && newFileAllowed
                       ? 0
                       : 1;
        };
        int status = 0;
        if (geteuid() == 0) {
            // Root may write anything: try as an ordinary user, in a folder open to everyone.
            QCOMPARE(chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
            QCOMPARE(chmod(QFile::encodeName(shared).constData(), 0777), 0);
            status =
                ChildProcess::run([&] { return setgid(nobody) == 0 && setuid(nobody) == 0 ? attempt() : 2; });
        } else {
            QCOMPARE(chmod(QFile::encodeName(path("shared/palace.prp")).constData(), 0444), 0);
            status = attempt();
        }
        QCOMPARE(status, 0);
        QCOMPARE(readFile(path("shared/palace.prp")), QByteArray("old"));
        QCOMPARE(QDir(shared).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"other.prp", "palace.prp", "source.prp"}));
    }

    void deleteFile() {
        writeFile(path("a.prp"), "a");
        writeFile(path("b.prp"), "b");
        QVERIFY(store.deleteFile(at("a.prp")).ok);
        QCOMPARE(entries(), QStringList({"b.prp"}));

        const StepResult missing = store.deleteFile(at("a.prp"));
        QVERIFY(!missing.ok);
        QCOMPARE(missing.reason, QString::fromLocal8Bit(strerror(ENOENT)));

        QVERIFY(QDir(dir.path()).mkdir("folder.prp"));
        QVERIFY(!store.deleteFile(at("folder.prp")).ok);
        QCOMPARE(entries(), QStringList({"b.prp", "folder.prp"}));
    }

    void deleteInReadOnlyFolderFails() {
        writeFile(path("a.prp"), "a");
        const QByteArray target = at("a.prp");
        const int status = ChildProcess::runWithReadOnlyDirectory(dir.path(), [&] {
            const StepResult result = store.deleteFile(target);
            return !result.ok && result.reason == QString::fromLocal8Bit(strerror(EROFS)) ? 0 : 1;
        });
        if (status == ChildProcess::setupFailed)
            QSKIP(qPrintable(ChildProcess::skipReason()));
        QCOMPARE(status, 0);
        QCOMPARE(entries(), QStringList({"a.prp"}));
    }

    void renameFile_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("toHolds"); // what the target holds afterwards; empty when it failed
        QTest::newRow("to a new name") << "a.prp"
                                       << "c.prp" << QStringList({"b.prp", "c.prp"}) << "a";
        QTest::newRow("over an existing bag") << "a.prp"
                                              << "b.prp" << QStringList({"b.prp"}) << "a";
        QTest::newRow("onto itself") << "a.prp"
                                     << "a.prp" << QStringList({"a.prp", "b.prp"}) << "a";
        QTest::newRow("name with spaces") << "a.prp"
                                          << " my bag .prp" << QStringList({" my bag .prp", "b.prp"}) << "a";
        QTest::newRow("missing source") << "gone.prp"
                                        << "c.prp" << QStringList({"a.prp", "b.prp"}) << "";
    }

    void renameFile() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QStringList, after);
        QFETCH(QString, toHolds);
        writeFile(path("a.prp"), "a");
        writeFile(path("b.prp"), "b");
        const StepResult result = store.renameFile(at(from), at(to));
        QCOMPARE(result.ok, !toHolds.isEmpty());
        QCOMPARE(entries(), after);
        if (result.ok)
            QCOMPARE(readFile(path(to)), toHolds.toUtf8());
        else
            QCOMPARE(result.reason, QString::fromLocal8Bit(strerror(ENOENT)));
    }

    // What goes is kept in the trash as trash-cli, the independent reader, sees it; or, where no trash can
    // be made, goes as it always did.
    void whatGoesIsKeptInTheTrash_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("taken"); // entries of that name in the trash already; -1: no trash possible
        QTest::addColumn<QString>("entry"); // empty: nothing goes to the trash
        QTest::addColumn<bool>("agreed");   // to a delete for good
        QTest::newRow("delete") << "delete" << 0 << "a b%.prp" << false;
        QTest::newRow("save over a bag") << "copy" << 0 << "a b%.prp" << false;
        QTest::newRow("rename over a bag") << "rename" << 0 << "a b%.prp" << false;
        QTest::newRow("name taken") << "delete" << 1 << "a b%.prp.2" << false;
        QTest::newRow("two names taken") << "copy" << 2 << "a b%.prp.3" << false;
        QTest::newRow("rename onto itself") << "itself" << 0 << "" << false;
        QTest::newRow("a linked bag: only the link goes") << "link" << -1 << "" << false;
        for (const char* operation : {"delete", "copy", "rename"}) {
            QTest::addRow("unusable trash: %s refused", operation) << operation << -1 << "" << false;
            QTest::addRow("unusable trash: %s agreed", operation) << operation << -1 << "" << true;
        }
    }

    void whatGoesIsKeptInTheTrash() {
        QFETCH(QString, operation);
        QFETCH(int, taken);
        QFETCH(QString, entry);
        QFETCH(bool, agreed);
        QVERIFY(taken < 0 ? (writeFile(trash, "not a folder"), true) : QDir().mkpath(trash + "/info"));
        for (int n = 1; n <= taken; ++n)
            writeFile(trash + "/info/a b%.prp" + (n > 1 ? "." + QString::number(n) : "") + ".trashinfo", "");
        QVERIFY(QDir(dir.path()).mkdir("bags 100%"));
        const QString bag = QDir(path("bags 100%")).canonicalPath() + "/a b%.prp";
        const QString other = path("bags 100%/new.prp");
        writeFile(bag, "old");
        writeFile(other, "new");
        const QDateTime before = QDateTime::currentDateTime().addMSecs(-999);
        const QByteArray bagPath = QFile::encodeName(bag), otherPath = QFile::encodeName(other);
        const QByteArray link = QFile::encodeName(path("bags 100%/link.prp"));
        QCOMPARE(symlink(bagPath.constData(), link.constData()), 0);
        const PermanentDelete consent = agreed ? PermanentDelete::Agreed : PermanentDelete::NotAgreed;
        const StepResult result =
            operation == "delete" ? store.deleteFile(bagPath, consent)
            : operation == "link" ? store.deleteFile(link, consent)
            : operation == "copy"
                ? store.copyFile(otherPath, bagPath, consent)
                : store.renameFile(operation == "rename" ? otherPath : bagPath, bagPath, consent);
        // Where no trash can take the bag, nothing happens without the user's word, and the bag is named.
        const bool refused = taken < 0 && !agreed && operation != "link";
        QVERIFY2(result.ok != refused, qPrintable(result.reason));
        QCOMPARE(result.notTrashable, refused ? bagPath : QByteArray());
        QCOMPARE(QDir(path("bags 100%"))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                     .size(),
                 refused || operation == "copy" || operation == "itself" ? 3 : 2);
        QCOMPARE(readFile(other), QByteArray(refused || operation != "rename" ? "new" : "<unreadable>"));
        const char* const left = refused || operation == "itself" || operation == "link" ? "old"
                                 : operation == "delete"                                 ? "<unreadable>"
                                                                                         : "new";
        QCOMPARE(readFile(bag), QByteArray(left));
        QCOMPARE(QDir(trash + "/files").entryList(QDir::Files),
                 entry.isEmpty() ? QStringList() : QStringList(entry));
        if (entry.isEmpty())
            return;
        QCOMPARE(readFile(trash + "/files/" + entry), QByteArray("old"));
        const QList<QByteArray> info = readFile(trash + "/info/" + entry + ".trashinfo").split('\n');
        QCOMPARE(info.size(), 4);
        QCOMPARE(info[0], QByteArray("[Trash Info]"));
        QVERIFY2(info[1].startsWith("Path=/") && info[1].endsWith("/bags%20100%25/a%20b%25.prp"), info[1]);
        QCOMPARE(QFile::decodeName(QByteArray::fromPercentEncoding(info[1].mid(5))), bag);
        const QDateTime deleted =
            QDateTime::fromString(QString::fromLatin1(info[2]), "'DeletionDate='yyyy-MM-dd'T'HH:mm:ss");
        QVERIFY2(deleted >= before && deleted <= QDateTime::currentDateTime(), info[2]);

        if (QStandardPaths::findExecutable("trash-restore").isEmpty())
            QSKIP("trash-cli is not installed (make test installs it)");
        QProcess cli;
        cli.start("trash-list", {});
        QVERIFY(cli.waitForFinished(60000));
        QVERIFY(cli.readAllStandardOutput().contains(" " + QFile::encodeName(bag) + "\n"));
        QFile::remove(bag);
        cli.start("trash-restore", {QFileInfo(bag).path()});
        cli.write("0\n");
        cli.closeWriteChannel();
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(readFile(bag), QByteArray("old"));
    }

    // Whatever its name, and however many entries of that name the trash holds, a deleted bag is kept, and
    // its Path= names it in full, so that it comes back under its own name.
    void anyNameIsKept_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("taken");
        QTest::newRow("the 1,001st palace.prp") << QByteArray("palace.prp") << 1001;
        QTest::newRow("thousands of one name") << QByteArray("a.prp") << 5000;
        const QByteArrayList units = {"a", "\xe6\xbc\xa2", "\xe9"}; // ASCII, CJK, Latin-1 (not UTF-8)
        for (const QByteArray& unit : units)
            for (const qsizetype length : {5, 100, 240, 241, 242, 245, 246, 250, 251, 254, 255}) {
                QByteArray name = unit.repeated((length - 4) / unit.size());
                name = name + QByteArray(length - 4 - name.size(), 'x') + ".prp";
                QTest::addRow("%d bytes of %s", int(length), unit.toHex().constData())
                    << name << (length < 240 ? int(length % 3) : 0);
            }
    }

    void anyNameIsKept() {
        QFETCH(QByteArray, name);
        QFETCH(int, taken);
        const QByteArray info = QFile::encodeName(trash) + "/info/";
        QVERIFY(QDir().mkpath(trash + "/info"));
        for (int n = 1; n <= taken; ++n)
            QCOMPARE(::close(::open(info + name + (n > 1 ? '.' + QByteArray::number(n) : "") + ".trashinfo",
                                    O_CREAT | O_WRONLY | O_CLOEXEC, 0600)),
                     0);
        const QByteArray bag = QFile::encodeName(dir.path()) + '/' + name;
        QCOMPARE(::close(::open(bag, O_CREAT | O_WRONLY | O_CLOEXEC, 0600)), 0);
        const StepResult deleted = store.deleteFile(bag);
        QVERIFY2(deleted.ok, qPrintable(deleted.reason));
        QVERIFY(::access(bag, F_OK) != 0);
        QByteArrayList kept;
        DIR* folder = ::opendir(info);
        QVERIFY(folder);
        while (const dirent* entry = ::readdir(folder))
            if (bytesOf(info + entry->d_name).contains("\nPath=" + bag.toPercentEncoding("/") + '\n'))
                kept.append(QByteArray(entry->d_name).chopped(int(strlen(".trashinfo"))));
        ::closedir(folder);
        QCOMPARE(kept.size(), 1);
        QCOMPARE(bytesOf(QFile::encodeName(trash) + "/files/" + kept[0]), QByteArray());
        QCOMPARE(QUtf8StringView(kept[0]).isValidUtf8(), QUtf8StringView(name).isValidUtf8());
    }

    // Two running copies replace one bag at once; the first stops just before its rename until the second
    // has finished or waits for the directory's lock. Every version ends in the bag or the trash, once.
    void concurrentReplacesKeepEveryVersion_data() {
        QTest::addColumn<bool>("rename");
        QTest::newRow("save beside save") << false;
        QTest::newRow("rename beside save") << true;
    }

    void concurrentReplacesKeepEveryVersion() {
        QFETCH(bool, rename);
        writeFile(path("bag.prp"), "v0");
        writeFile(path("first.prp"), "v1");
        writeFile(path("second.prp"), "v2");
        struct stat folder {};
        QCOMPARE(stat(QFile::encodeName(dir.path()).constData(), &folder), 0);
        const QByteArray waiting = QString::asprintf("%02x:%02x:%lu ", major(folder.st_dev),
                                                     minor(folder.st_dev), ulong(folder.st_ino))
                                       .toLatin1();
        const auto waitsForLock = [&] {
            const QList<QByteArray> locks = readFile("/proc/locks").split('\n');
            return std::any_of(locks.begin(), locks.end(), [&](const QByteArray& line) {
                return line.contains("-> FLOCK") && line.contains(waiting);
            });
        };
        std::atomic<bool> secondDone = false;
        std::unique_ptr<QThread> second;
        FaultyFileSystem paused;
        paused.beforeCall = [&](FaultyFileSystem::Call call) {
            if (call != FaultyFileSystem::Call::Renameat || second)
                return;
            second.reset(QThread::create([&] {
                PosixFileSystem own;
                BagStore(own).copyFile(at("second.prp"), at("bag.prp"));
                secondDone = true;
            }));
            second->start();
            while (!secondDone && !waitsForLock())
                QThread::yieldCurrentThread();
        };
        BagStore first(paused);
        QVERIFY(rename ? first.renameFile(at("first.prp"), at("bag.prp")).ok
                       : first.copyFile(at("first.prp"), at("bag.prp")).ok);
        QVERIFY(second && second->wait());
        QByteArrayList versions{readFile(path("bag.prp"))};
        for (const QString& name : QDir(trash + "/files").entryList(QDir::Files))
            versions.append(readFile(trash + "/files/" + name));
        std::sort(versions.begin(), versions.end());
        QCOMPARE(versions, QByteArrayList({"v0", "v1", "v2"}));
    }

    void listBagsShowsOnlyRegularPrpFiles() {
        const QStringList files = {"b.prp",         "A.prp", "a.prp",     "with space.prp",
                                   "new\nline.prp", "x.PRP", "notes.txt", "a.prp.bak",
                                   "a.prp.prp",     ".prp",  "prp",       ".stowbox-Ab12Cd.tmp"};
        const QStringList folding = {"k.prp", "K.prp", QStringLiteral("\u212A.prp"),
                                     QStringLiteral("\u00C9mile.prp")};
        for (const QString& name : files + folding)
            writeFile(path(name), "x");
        // Look-alikes: Latin-1, not valid UTF-8, and the UTF-8 of the replacement character it shows as.
        const QByteArray folder = QFile::encodeName(dir.path()) + '/';
        const QByteArrayList twins = {folder + "caf\xe9.prp", folder + "caf\xef\xbf\xbd.prp"};
        for (const QByteArray& twin : twins)
            QVERIFY(::close(::open(twin, O_CREAT | O_WRONLY, 0644)) == 0);
        QVERIFY(QDir(dir.path()).mkdir("folder.prp"));
        QCOMPARE(symlink("b.prp", QFile::encodeName(path("link.prp")).constData()), 0);
        QCOMPARE(symlink("missing.prp", QFile::encodeName(path("dangling.prp")).constData()), 0);
        QCOMPARE(symlink("folder.prp", QFile::encodeName(path("tofolder.prp")).constData()), 0);
        const BagNames listed = store.listBags(dir.path()).names;
        for (const QByteArray& twin : twins) // Qt cannot remove a name that is not valid text
            QCOMPARE(::unlink(twin), 0);
        QByteArrayList fileNames;
        for (qsizetype row = 0; row < listed.size(); ++row)
            fileNames.append(listed.fileName(row));
        // Case-blind, exact case breaking ties (the Kelvin sign folds to k), exact bytes after that.
        QCOMPARE(fileNames,
                 QByteArrayList({".prp", "A.prp", "a.prp", "a.prp.prp", "b.prp", "caf\xe9.prp",
                                 "caf\xef\xbf\xbd.prp", "K.prp", "k.prp", "\xe2\x84\xaa.prp", "link.prp",
                                 "new\nline.prp", "with space.prp", "\xc3\x89mile.prp"}));
        QCOMPARE(listed.text(5), QStringLiteral("caf\uFFFD.prp"));
    }

    void listBagsOfMissingFolderIsEmpty() {
        const BagListing missing = store.listBags(path("nowhere"));
        QCOMPARE(missing.names.size(), 0);
        QCOMPARE(missing.result.error, ENOENT);
        writeFile(path("file.prp"), "x");
        const BagListing notFolder = store.listBags(path("file.prp"));
        QCOMPARE(notFolder.names.size(), 0);
        QCOMPARE(notFolder.result.error, ENOTDIR);
    }

    void removeLeftoverTemporariesRemovesOnlyOurs() {
        const QStringList ours = {".stowbox-Ab12Cd.tmp", ".stowbox-000000.tmp", ".stowbox-zzzzzz.tmp"};
        const QStringList others = {
            ".stowbox-Ab12C.tmp", ".stowbox-Ab12Cde.tmp", ".stowbox-Ab12C!.tmp", ".stowbox-Ab12Cd.tmp.prp",
            "stowbox-Ab12Cd.tmp", ".stowbox-Ab12Cd.TMP",  ".Stowbox-Ab12Cd.tmp", "bag.prp",
            ".stowbox-Ab 2Cd.tmp"};
        for (const QString& name : ours + others)
            writeFile(path(name), "x");
        QVERIFY(QDir(dir.path()).mkdir(".stowbox-Folder.tmp"));
        QCOMPARE(symlink("bag.prp", QFile::encodeName(path(".stowbox-Linked.tmp")).constData()), 0);
        QStringList expected = others + QStringList({".stowbox-Folder.tmp", ".stowbox-Linked.tmp"});
        expected.sort();

        store.removeLeftoverTemporaries(dir.path());
        QCOMPARE(entries(), expected);
        store.removeLeftoverTemporaries(path("nowhere"));
        QCOMPARE(entries(), expected);
    }
};

QTEST_GUILESS_MAIN(BagStoreTest)
#include "tst_bagstore.moc"
