#include "client/DetachedProgramStarter.h"
#include "client/ProcessView.h"
#include "client/StandIn.h"
#include "client/SystemClientDetector.h"
#include "support/FileBytes.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace {

// Processes running the file at path; only ever ones this test started, since the path is its own.
QList<qint64> processesRunning(const QString& path) {
    QList<qint64> pids;
    const QString canonical = QFileInfo(path).canonicalFilePath();
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (isPid && QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid)) == canonical)
            pids.append(pid);
    }
    return pids;
}

QList<qint64> waitForProcessesRunning(const QString& path) {
    const QDeadlineTimer deadline(5000);
    QList<qint64> pids = processesRunning(path);
    while (pids.isEmpty() && !deadline.hasExpired()) {
        QThread::msleep(20);
        pids = processesRunning(path);
    }
    return pids;
}

void killAll(const QString& path) {
    const QDeadlineTimer deadline(5000);
    for (QList<qint64> pids = processesRunning(path); !pids.isEmpty() && !deadline.hasExpired();
         pids = processesRunning(path)) {
        for (qint64 pid : pids)
            kill(static_cast<pid_t>(pid), SIGKILL);
        QThread::msleep(20);
    }
}

void writeFile(const QString& path, const QByteArray& bytes, QFile::Permissions permissions) {
    ::writeFile(path, bytes);
    QVERIFY(QFile::setPermissions(path, permissions));
}

const QFile::Permissions readable = QFile::ReadOwner | QFile::WriteOwner;
const QFile::Permissions executable = readable | QFile::ExeOwner;

} // namespace

class ProgramStarterTest : public QObject {
    Q_OBJECT

    QByteArray originalPath;
    QByteArray originalDisplay;
    std::unique_ptr<QTemporaryDir> work;
    QString started; // the file a test starts, killed in cleanup

    QString inWork(const QString& name) const { return work->filePath(name); }

    // A fake wine that writes its working directory, $WINEPREFIX and arguments, one a line, to a file
    // beside it.
    QString installFakeWine(const QString& directory) {
        QDir().mkpath(directory);
        const QString record = directory + QStringLiteral("/wine.record");
        writeFile(directory + QStringLiteral("/wine"),
                  "#!/bin/sh\n{ pwd -P; printf '%s\\n' \"$WINEPREFIX\"; for a in \"$@\"; do printf '%s\\n' "
                  "\"$a\"; done; } > '" +
                      QFile::encodeName(record) + ".part'\nmv '" + QFile::encodeName(record) + ".part' '" +
                      QFile::encodeName(record) + "'\n",
                  executable);
        return record;
    }

    void setSearchPath(const QStringList& directories) {
        qputenv("PATH", directories.join(':').toLocal8Bit());
    }

private slots:
    void initTestCase() {
        originalPath = qgetenv("PATH");
        originalDisplay = qgetenv("DISPLAY");
        // Started programs inherit this: no window on anyone's screen, and a bounded life.
        qunsetenv("DISPLAY");
        qputenv("STOWBOX_STANDIN_LIFETIME", "120");
    }

    void init() {
        work = std::make_unique<QTemporaryDir>();
        QVERIFY(work->isValid());
        setSearchPath({QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
    }

    void cleanup() {
        if (!started.isEmpty())
            killAll(started);
        started.clear();
        qputenv("PATH", originalPath);
    }

    void cleanupTestCase() {
        if (!originalDisplay.isEmpty())
            qputenv("DISPLAY", originalDisplay);
    }

    void startsTheStoredProgramDetached() {
        started = StandIn::copyAs(work->path(), QStringLiteral("palace32.exe"));
        QVERIFY(!started.isEmpty());
        QVERIFY(DetachedProgramStarter().startProgram(work->path() + QStringLiteral("/palace32.exe"), 1));

        const QList<qint64> pids = waitForProcessesRunning(started);
        QCOMPARE(pids.size(), 1);
        QCOMPARE(SystemClientDetector(QByteArray(), ProcessView(pids).path()).isPalaceRunning().value,
                 QStringLiteral("palace32.exe (process %1)").arg(pids.first()));
        const QString proc = QStringLiteral("/proc/%1/").arg(pids.first());
        QCOMPARE(QFile::symLinkTarget(proc + QStringLiteral("cwd")), QDir::currentPath());
        QCOMPARE(readFile(proc + QStringLiteral("cmdline")).split('\0').size(), 2); // the path and the end
        const QByteArray stat = readFile(proc + QStringLiteral("stat"));
        const qint64 parent = stat.mid(stat.lastIndexOf(')') + 4).split(' ').value(0).toLongLong();
        QVERIFY2(parent != getpid(), "the client is a child of ours: it would be waited for and die with us");
    }

    void bareNameIsLookedUpOnThePath() {
        QDir().mkpath(inWork(QStringLiteral("bin")));
        started = StandIn::copyAs(inWork(QStringLiteral("bin")), QStringLiteral("palace32.exe"));
        setSearchPath(
            {inWork(QStringLiteral("empty")), inWork(QStringLiteral("bin")), QStringLiteral("/usr/bin")});

        QVERIFY(DetachedProgramStarter().startProgram(QStringLiteral("palace32.exe"), 1));
        QCOMPARE(waitForProcessesRunning(started).size(), 1);
    }

    void windowsProgramGoesThroughWine_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("executableBit");
        QTest::addColumn<bool>("driveC");      // the work directory holds a drive_c
        QTest::addColumn<bool>("inPrefix");    // and a system.reg: a Wine prefix, where the client runs
        QTest::addColumn<bool>("throughLink"); // started by a path through a link from outside the prefix
        QTest::newRow("not executable")
            << "palace32.exe" << QByteArray("not run by itself") << false << false << false << false;
        QTest::newRow("upper-case name")
            << "PALACE32.EXE" << QByteArray("x") << false << false << false << false;
        QTest::newRow("Windows program with every bit set")
            << "palace32.exe" << QByteArray("MZ\x90\0\3") << true << false << false << false;
        QTest::newRow("in its own Wine prefix")
            << "palace32.exe" << QByteArray("MZ") << false << true << true << false;
        QTest::newRow("in its own Wine prefix, through a link")
            << "palace32.exe" << QByteArray("MZ") << false << true << true << true;
        QTest::newRow("a drive_c without system.reg is no prefix")
            << "palace32.exe" << QByteArray("MZ") << false << true << false << false;
    }
    void windowsProgramGoesThroughWine() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, content);
        QFETCH(bool, executableBit);
        QFETCH(bool, driveC);
        QFETCH(bool, inPrefix);
        QFETCH(bool, throughLink);
        QVERIFY(!driveC || QDir().mkpath(inWork(QStringLiteral("drive_c"))));
        if (inPrefix)
            writeFile(inWork(QStringLiteral("system.reg")), "WINE REGISTRY Version 2\n", readable);
        const QString program = inWork(QStringLiteral("Palace Dir/")) + fileName;
        QDir().mkpath(inWork(QStringLiteral("Palace Dir")));
        writeFile(program, content, executableBit ? executable : readable);
        QTemporaryDir outside;
        const QString path =
            throughLink ? outside.filePath(QStringLiteral("palace-link/")) + fileName : program;
        QVERIFY(!throughLink ||
                QFile::link(inWork(QStringLiteral("Palace Dir")), outside.filePath("palace-link")));
        const QString record = installFakeWine(inWork(QStringLiteral("wine bin")));
        setSearchPath(
            {inWork(QStringLiteral("wine bin")), QStringLiteral("/usr/bin"), QStringLiteral("/bin")});

        QVERIFY(DetachedProgramStarter().startProgram(path, 1));

        const QDeadlineTimer deadline(5000);
        while (!QFile::exists(record) && !deadline.hasExpired())
            QThread::msleep(20);
        const QString prefix = inPrefix ? work->path() : qEnvironmentVariable("WINEPREFIX");
        QCOMPARE(readFile(record), (QDir::currentPath() + '\n' + prefix + '\n' + path + '\n').toLocal8Bit());
    }

    void failedStarts_data() {
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("file"); // at fault; "program": the one asked for
        const int notThere = int(StepResult::Kind::NotThere);
        const int system = int(StepResult::Kind::System);
        QTest::newRow("missing file") << "missing" << notThere << ENOENT << "program";
        QTest::newRow("missing file, wine present") << "missing+wine" << notThere << ENOENT << "program";
        QTest::newRow("Windows program, no wine on the path") << "inert" << notThere << ENOENT << "wine";
        QTest::newRow("not a Windows program, not executable")
            << "inert-other" << system << EACCES << "program";
        QTest::newRow("a directory of that name") << "directory" << notThere << ENOENT << "program";
        QTest::newRow("bare name on no directory of the path") << "bare" << notThere << ENOENT << "program";
    }
    void failedStarts() {
        QFETCH(QString, setUp);
        QFETCH(int, kind);
        QFETCH(int, error);
        QFETCH(QString, file);
        QString program = inWork(QStringLiteral("palace32.exe"));
        if (setUp == QLatin1String("missing+wine"))
            installFakeWine(inWork(QStringLiteral("bin")));
        if (setUp == QLatin1String("inert"))
            writeFile(program, "x", readable);
        if (setUp == QLatin1String("inert-other")) {
            program = inWork(QStringLiteral("palace32"));
            writeFile(program, "x", readable);
            installFakeWine(inWork(QStringLiteral("bin")));
        }
        if (setUp == QLatin1String("directory"))
            QVERIFY(QDir().mkpath(program));
        if (setUp == QLatin1String("bare"))
            program = QStringLiteral("palace32.exe");
        // Searching the test's own bin first: a wine installed on this machine must not make the start
        // succeed.
        setSearchPath({inWork(QStringLiteral("bin"))});

        const StepResult outcome = DetachedProgramStarter().startProgram(program, 1);
        QCOMPARE(int(outcome.kind), kind);
        QCOMPARE(outcome.error, error);
        QCOMPARE(outcome.file, QFile::encodeName(file == QLatin1String("program") ? program : file));
        QVERIFY(!QFile::exists(inWork(QStringLiteral("bin/wine.record"))));
    }
};

QTEST_GUILESS_MAIN(ProgramStarterTest)
#include "tst_programstarter.moc"
