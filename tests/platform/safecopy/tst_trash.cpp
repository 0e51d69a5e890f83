#include "platform/files/FilePlace.h"
#include "platform/files/PosixFileSystem.h"
#include "platform/safecopy/Trash.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

namespace {
// The bytes of a file by its exact name, which need not be text.
QByteArray bytesOf(const QByteArray& path) {
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    return fd >= 0 && file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle) ? file.readAll() : "<none>";
}
} // namespace

class TrashTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    PosixFileSystem fs;
    Trash can{fs, TrashOwner::fromEnvironment()};
    // The home trash of this test's own data folder, emptied before each test.
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash");

    // As a delete does it: the file is kept, then goes from its place.
    StepResult keepAndRemove(const FilePlace& file) {
        const int directory = ::open(file.directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        TrashEntry entry;
        const StepResult kept = can.trash(directory, file, entry);
        if (kept)
            ::unlinkat(directory, file.name.constData(), 0);
        ::close(directory);
        return kept;
    }

private slots:
    void init() {
        // Qt cannot remove a name that is not valid text
        QCOMPARE(QProcess::execute("rm", {"-rf", trash}), 0);
    }

    // Whatever its name, and however many entries of that name the trash holds, a deleted bag is kept, and
    // its Path= names it in full, so that it comes back under its own name. Half an entry takes its name as
    // well: an info without its file, or a file without its info, which stays as it was.
    void anyNameIsKept_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("taken");
        QTest::addColumn<QByteArray>("half"); // what the taken entries hold
        QTest::newRow("the 1,001st palace.prp") << QByteArray("palace.prp") << 1001 << QByteArray("info");
        QTest::newRow("thousands of one name") << QByteArray("a.prp") << 5000 << QByteArray("info");
        QTest::newRow("a file without its info") << QByteArray("a.prp") << 1 << QByteArray("files");
        QTest::newRow("files without their info") << QByteArray("a.prp") << 3 << QByteArray("files");
        const QByteArrayList units = {"a", "\xe6\xbc\xa2", "\xe9"}; // ASCII, CJK, Latin-1 (not UTF-8)
        for (const QByteArray& unit : units)
            for (const qsizetype length : {5, 100, 240, 241, 242, 245, 246, 250, 251, 254, 255}) {
                QByteArray name = unit.repeated((length - 4) / unit.size());
                name = name + QByteArray(length - 4 - name.size(), 'x') + ".prp";
                QTest::addRow("%d bytes of %s", int(length), unit.toHex().constData())
                    << name << (length < 240 ? int(length % 3) : 0)
                    << QByteArray(length % 2 ? "info" : "files");
            }
    }

    void anyNameIsKept() {
        QFETCH(QByteArray, name);
        QFETCH(int, taken);
        QFETCH(QByteArray, half);
        const QByteArray info = QFile::encodeName(trash) + "/info/";
        const QByteArray strays = QFile::encodeName(trash) + "/files/";
        QVERIFY(QDir().mkpath(trash + "/info") && QDir().mkpath(trash + "/files"));
        const auto takenName = [&](int n) { return name + (n > 1 ? '.' + QByteArray::number(n) : ""); };
        for (int n = 1; n <= taken; ++n) {
            const int fd = ::open(half == "info" ? info + takenName(n) + ".trashinfo" : strays + takenName(n),
                                  O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
            QCOMPARE(::write(fd, "stranger", 8), 8);
            QCOMPARE(::close(fd), 0);
        }
        const QByteArray bag = QFile::encodeName(dir.path()) + '/' + name;
        QCOMPARE(::close(::open(bag, O_CREAT | O_WRONLY | O_CLOEXEC, 0600)), 0);
        const StepResult deleted = keepAndRemove({QFile::encodeName(dir.path()), name});
        QVERIFY2(deleted.ok(), qPrintable(deleted.reason));
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
        for (int n = 1; n <= taken; ++n)
            if (half == "files")
                QCOMPARE(bytesOf(strays + takenName(n)), QByteArray("stranger"));
    }

    // Without $HOME and $XDG_DATA_HOME the home trash is in the home the password database gives.
    void homeTrashWithoutHome() {
        const QByteArray home = qgetenv("HOME"), data = qgetenv("XDG_DATA_HOME");
        qunsetenv("HOME");
        qunsetenv("XDG_DATA_HOME");
        const TrashOwner owner = TrashOwner::fromEnvironment();
        qputenv("HOME", home);
        qputenv("XDG_DATA_HOME", data);
        QCOMPARE(owner.homeTrash, QByteArray(getpwuid(getuid())->pw_dir) + "/.local/share/Trash");
    }

    // However its directory is named, a kept file's Path= is the absolute path without links that file
    // managers restore to, and the mount whose trash takes it is found from that path.
    void recordedPathIsAbsolute_data() {
        QTest::addColumn<QString>("given"); // relative to the test's folder, which is the current directory
        QTest::newRow("absolute") << "@/real";
        QTest::newRow("relative") << "real";
        QTest::newRow("doubled separator") << "@/real/";
        QTest::newRow("through a link") << "link";
        QTest::newRow("up and down again") << "@/real/../link";
    }

    void recordedPathIsAbsolute() {
        QFETCH(QString, given);
        QVERIFY(QDir(dir.path()).mkpath("real") && QFile::link("real", dir.filePath("link")));
        writeFile(dir.filePath("real/a.prp"), "a");
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const StepResult kept = keepAndRemove({QFile::encodeName(given.replace('@', dir.path())), "a.prp"});
        QDir::setCurrent(previous);
        QFile::remove(dir.filePath("link"));
        QVERIFY2(kept.ok(), qPrintable(kept.reason));
        const QByteArray path = QFile::encodeName(QDir(dir.filePath("real")).canonicalPath()) + "/a.prp";
        QCOMPARE(readFile(trash + "/info/a.prp.trashinfo").split('\n').value(1),
                 "Path=" + path.toPercentEncoding("/"));
    }
};

QTEST_GUILESS_MAIN(TrashTest)
#include "tst_trash.moc"
