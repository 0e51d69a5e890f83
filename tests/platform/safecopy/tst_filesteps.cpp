#include "platform/files/FilePlace.h"
#include "platform/files/PosixFileSystem.h"
#include "platform/safecopy/FileSteps.h"
#include "platform/safecopy/TemporaryFile.h"
#include "support/ChildProcess.h"
#include "support/DirectoryContents.h"
#include "support/FileBytes.h"
#include "support/RemoveTree.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr uid_t nobody = 65534;

mode_t modeOf(const QString& path) {
    struct stat status {};
    return lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

QByteArray pattern(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xff);
    return bytes;
}
} // namespace

class FileStepsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    PosixFileSystem fs;
    FileSteps copier{fs};

    QString path(const QString& name) const { return dir.filePath(name); }
    FilePlace at(const QString& name) const { return FilePlace::split(path(name)); }
    // Everything in the directory, hidden files included: nothing may be left behind.
    QStringList entries() const { return entryNames(dir.path()); }

private slots:
    void init() { QVERIFY(emptyFolder(QFile::encodeName(dir.path()))); }

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
        const StepResult result = copier.copy(at("source.prp"), at("palace.prp"));
        QVERIFY2(result.ok(), qPrintable(result.reason));
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
        QVERIFY(copier.copy(at("source.prp"), at("palace.prp")).ok());
        QCOMPARE(modeOf(path("palace.prp")), mode_t(mode));
        QCOMPARE(readFile(path("palace.prp")), QByteArray("new"));
    }

    void newFileGetsTheDefaultPermissions() {
        writeFile(path("source.prp"), "new");
        QCOMPARE(chmod(QFile::encodeName(path("source.prp")).constData(), 0600), 0);
        const mode_t previous = umask(027);
        const bool ok = copier.copy(at("source.prp"), at("bag.prp")).ok();
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
        const StepResult result = copier.copy(at("source.prp"), at("palace.prp"));
        QVERIFY2(result.ok(), qPrintable(result.reason));
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
        const StepResult result = copier.copy(at("source.prp"), at("a.prp"));
        QVERIFY(!result.ok());
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
        const StepResult result = copier.copy(
            source.startsWith(QLatin1Char('/')) ? FilePlace::split(source) : at(source), at(destination));
        QVERIFY(!result.ok());
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
            const StepResult result = copier.copy(FilePlace::split(source), FilePlace::split(destination));
            return !result.ok() && result.reason == QString::fromLocal8Bit(strerror(EROFS)) ? 0 : 1;
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
        const FilePlace source = at("shared/source.prp");
        const QString shared = path("shared");
        const auto attempt = [&] {
            const StepResult refused = copier.copy(source, at("shared/palace.prp"));
            const bool newFileAllowed = copier.copy(source, at("shared/other.prp")).ok();
            return !refused.ok() && refused.reason == QString::fromLocal8Bit(strerror(EACCES)) &&
                           newFileAllowed
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

        TemporaryFile::removeLeftovers(fs, QFile::encodeName(dir.path()));
        QCOMPARE(entries(), expected);
        TemporaryFile::removeLeftovers(fs, QFile::encodeName(path("nowhere")));
        QCOMPARE(entries(), expected);
    }
};

QTEST_GUILESS_MAIN(FileStepsTest)
#include "tst_filesteps.moc"
