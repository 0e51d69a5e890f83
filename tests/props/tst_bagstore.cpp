#include "platform/files/PosixFileSystem.h"
#include "props/BagStore.h"
#include "support/ChildProcess.h"
#include "support/DirectoryContents.h"
#include "support/FaultyFileSystem.h"
#include "support/FileBytes.h"
#include "support/RemoveTree.h"
#include "support/TrashedSteps.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

class BagStoreTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    PosixFileSystem fs;
    TrashedSteps trashed{fs};
    FileSteps& steps = trashed.steps;

    QString path(const QString& name) const { return dir.filePath(name); }
    // The home trash of this test's own data folder, emptied before each test.
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash");
    FilePlace at(const QString& name) const { return FilePlace::split(path(name)); }
    // Everything in the directory, hidden files included: nothing may be left behind.
    QStringList entries() const { return entryNames(dir.path()); }

private slots:
    void init() {
        // Qt cannot remove a name that is not valid text
        QCOMPARE(QProcess::execute("rm", {"-rf", trash}), 0);
        QVERIFY(emptyFolder(QFile::encodeName(dir.path())));
    }

    void deleteFile() {
        writeFile(path("a.prp"), "a");
        writeFile(path("b.prp"), "b");
        QVERIFY(steps.remove(at("a.prp")).ok());
        QCOMPARE(entries(), QStringList({"b.prp"}));

        const StepResult missing = steps.remove(at("a.prp"));
        QVERIFY(!missing.ok());
        QCOMPARE(missing.reason, QString::fromLocal8Bit(strerror(ENOENT)));

        QVERIFY(QDir(dir.path()).mkdir("folder.prp"));
        QVERIFY(!steps.remove(at("folder.prp")).ok());
        QCOMPARE(entries(), QStringList({"b.prp", "folder.prp"}));
    }

    void deleteInReadOnlyFolderFails() {
        writeFile(path("a.prp"), "a");
        const FilePlace target = at("a.prp");
        const int status = ChildProcess::runWithReadOnlyDirectory(dir.path(), [&] {
            const StepResult result = steps.remove(target);
            return !result.ok() && result.reason == QString::fromLocal8Bit(strerror(EROFS)) ? 0 : 1;
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
        const StepResult result = steps.rename(at(from), at(to).name);
        QCOMPARE(result.ok(), !toHolds.isEmpty());
        QCOMPARE(entries(), after);
        if (result.ok())
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
        const AskBeforeLoss consent = agreed ? agree : refuse;
        const StepResult result =
            operation == "delete" ? steps.remove(FilePlace::split(bagPath), consent)
            : operation == "link" ? steps.remove(FilePlace::split(link), consent)
            : operation == "copy"
                ? steps.copy(FilePlace::split(otherPath), FilePlace::split(bagPath), consent)
                : steps.rename(FilePlace::split(operation == "rename" ? otherPath : bagPath),
                               FilePlace::split(bagPath).name, consent);
        // Where no trash can take the bag, nothing happens without the user's word, and the bag is named.
        const bool refused = taken < 0 && !agreed && operation != "link";
        QVERIFY2(result.ok() != refused, qPrintable(result.reason));
        QCOMPARE((result.is(StepResult::Kind::NotTrashable) ? result.file : QByteArray()),
                 refused ? bagPath : QByteArray());
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
        QCOMPARE(info.size(), 5);
        QCOMPARE(info[0], QByteArray("[Trash Info]"));
        QCOMPARE(info[3], QByteArray("# Kept by Stowbox"));
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
                TrashedSteps(own).steps.copy(at("second.prp"), at("bag.prp"));
                secondDone = true;
            }));
            second->start();
            while (!secondDone && !waitsForLock())
                QThread::yieldCurrentThread();
        };
        TrashedSteps first(paused);
        QVERIFY(rename ? first.steps.rename(at("first.prp"), "bag.prp").ok()
                       : first.steps.copy(at("first.prp"), at("bag.prp")).ok());
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
        const BagNames listed = BagStore(fs, steps, QFile::encodeName(dir.path())).list().value;
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
        const StepValue<BagNames> missing = BagStore(fs, steps, QFile::encodeName(path("nowhere"))).list();
        QCOMPARE(missing.value.size(), 0);
        QCOMPARE(missing.result.error, ENOENT);
        writeFile(path("file.prp"), "x");
        const StepValue<BagNames> notFolder = BagStore(fs, steps, QFile::encodeName(path("file.prp"))).list();
        QCOMPARE(notFolder.value.size(), 0);
        QCOMPARE(notFolder.result.error, ENOTDIR);
    }
};

QTEST_GUILESS_MAIN(BagStoreTest)
#include "tst_bagstore.moc"
