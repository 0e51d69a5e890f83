#include "client/ProcessView.h"
#include "client/StandIn.h"
#include "client/SystemClientDetector.h"
#include "client/XvfbServer.h"
#include "support/FileBytes.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <future>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

// A display number with no server behind it.
QByteArray displayWithNoServer() {
    for (int number = 500; number < 600; ++number)
        if (!QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)))
            return ':' + QByteArray::number(number);
    return ":599";
}

// A display whose server takes connections and never answers: its socket listens and never accepts.
// The name is bound where xcb looks first, the abstract namespace, and a real server's is refused.
int listenAsSilentServer(QByteArray& display) {
    for (int number = 900; number < 1000; ++number) {
        const QByteArray path = "/tmp/.X11-unix/X" + QByteArray::number(number);
        sockaddr_un address{AF_UNIX, {}};
        std::memcpy(address.sun_path + 1, path.constData(), path.size());
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + path.size());
        if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 && listen(fd, 8) == 0) {
            display = ':' + QByteArray::number(number);
            return fd;
        }
        close(fd);
    }
    return -1;
}

// Client processes this test did not start (another suite's, say) would make every "false" meaningless.
bool foreignClientProcessRuns() {
    QProcess pgrep;
    pgrep.start(QStringLiteral("pgrep"), {QStringLiteral("-i"), QStringLiteral("-x"), QStringLiteral("-u"),
                                          QString::number(getuid()), QStringLiteral("palace32.exe")});
    return pgrep.waitForFinished(5000) && pgrep.exitCode() == 0;
}

bool seen(const Sighting& sighting) {
    return !sighting.value.isEmpty();
}

// Polls until the detector gives the expected answer; the X server drops a killed client's window
// on its own time. Returns the last answer.
bool settlesTo(SystemClientDetector& detector, bool expected) {
    const QDeadlineTimer deadline(120000); // a stand-in starts slowly on a busy machine
    bool answer = seen(detector.isPalaceRunning());
    while (answer != expected && !deadline.hasExpired()) {
        QThread::msleep(20);
        answer = seen(detector.isPalaceRunning());
    }
    return answer;
}

// One entry of an authority file, for any address and display.
QByteArray authorityEntry(const QByteArray& protocol, const QByteArray& data) {
    QByteArray entry;
    QDataStream out(&entry, QIODevice::WriteOnly);
    out << quint16(0xffff) << quint16(0) << quint16(0);
    for (const QByteArray& field : {protocol, data}) {
        out << quint16(field.size());
        out.writeRawData(field.constData(), static_cast<int>(field.size()));
    }
    return entry;
}

// The child of parent once it has ended and waits, unreaped, for its parent (state Z); 0 when none has
// within a few seconds.
qint64 unreapedChildOf(qint64 parent) {
    const QDeadlineTimer deadline(120000); // a stand-in starts slowly on a busy machine
    for (;;) {
        const QByteArray children = readFile(QStringLiteral("/proc/%1/task/%1/children").arg(parent));
        for (const QByteArray& child : children.simplified().split(' ')) {
            const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(QString::fromLatin1(child)));
            if (stat.mid(stat.lastIndexOf(')') + 2, 1) == "Z")
                return child.toLongLong();
        }
        if (deadline.hasExpired())
            return 0;
        QThread::msleep(20);
    }
}

} // namespace

class SystemDetectorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<XvfbServer> server;
    QTemporaryDir programs;
    QTemporaryDir noProcesses; // a process table with nothing in it, so that only windows count

    void requireServer() {
        if (!server->isRunning())
            QSKIP(qPrintable(QStringLiteral("no X server for this test: ") + server->failure()));
    }

private slots:
    void initTestCase() {
        server = std::make_unique<XvfbServer>();
        if (!server->isRunning())
            qWarning("X11 cases will be skipped: %s", qPrintable(server->failure()));
        QVERIFY(programs.isValid());
        QVERIFY(noProcesses.isValid());
    }

    void cleanupTestCase() { server.reset(); }

    void window_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("shownClass"); // empty: not running
        // The protocol of an entry put before the server's cookie in our authority file; empty: none.
        QTest::addColumn<QByteArray>("firstEntry");
        QTest::newRow("native class")
            << QStringList{"--instance", "palace", "--class", "Palace"} << "Palace" << QByteArray();
        QTest::newRow("Wine class") << QStringList{} << "palace32.exe" << QByteArray();
        QTest::newRow("Wine class, upper case")
            << QStringList{"--instance", "PALACE32.EXE", "--class", "PALACE32.EXE"} << "PALACE32.EXE"
            << QByteArray();
        QTest::newRow("unmapped") << QStringList{"--unmapped", "--instance", "palace", "--class", "Palace"}
                                  << "Palace" << QByteArray();
        QTest::newRow("titled Palace, another class")
            << QStringList{"--instance", "xterm", "--class", "XTerm", "--title", "Palace"} << ""
            << QByteArray();
        QTest::newRow("titled palace32.exe, another class")
            << QStringList{"--instance", "x", "--class", "X", "--title", "palace32.exe"} << ""
            << QByteArray();
        QTest::newRow("another protocol's entry before the cookie")
            << QStringList{} << "palace32.exe" << QByteArray("XDM-AUTHORIZATION-1");
    }
    void window() {
        requireServer();
        QFETCH(QStringList, arguments);
        QFETCH(QString, shownClass);
        QFETCH(QByteArray, firstEntry);
        StandIn::Process client({.arguments = arguments, .display = server->display()});
        QVERIFY2(client.waitUntilReady(), qPrintable(client.failure()));
        QVERIFY(client.window() != 0);
        QTemporaryDir folder;
        const auto restore = qScopeGuard([kept = qgetenv("XAUTHORITY")] { qputenv("XAUTHORITY", kept); });
        if (!firstEntry.isEmpty()) {
            const QString path = folder.filePath(QStringLiteral("Xauthority"));
            writeFile(path, authorityEntry(firstEntry, QByteArray(16, 'x')) +
                                readFile(QFile::decodeName(qgetenv("XAUTHORITY"))));
            qputenv("XAUTHORITY", QFile::encodeName(path));
        }
        SystemClientDetector detector(server->display(), noProcesses.path());
        const QString shown =
            shownClass.isEmpty()
                ? QString()
                : QStringLiteral("window 0x%1 of class %2").arg(client.window(), 0, 16).arg(shownClass);
        // A window of the row before may linger on the server for a moment.
        QTRY_COMPARE(detector.isPalaceRunning().value, shown);
    }

    void windowNestedUnderAnother() {
        requireServer();
        StandIn::Process frame(
            {.arguments = {"--instance", "frame", "--class", "Frame"}, .display = server->display()});
        QVERIFY2(frame.waitUntilReady(), qPrintable(frame.failure()));
        SystemClientDetector detector(server->display(), noProcesses.path());
        QVERIFY(!seen(detector.isPalaceRunning()));

        StandIn::Process middle(
            {.arguments = {"--instance", "m", "--class", "M", "--parent", QString::number(frame.window())},
             .display = server->display()});
        QVERIFY2(middle.waitUntilReady(), qPrintable(middle.failure()));
        StandIn::Process client({.arguments = {"--unmapped", "--parent", QString::number(middle.window())},
                                 .display = server->display()});
        QVERIFY2(client.waitUntilReady(), qPrintable(client.failure()));
        QVERIFY(seen(detector.isPalaceRunning()));
    }

    void askedAnewAtEachCall() {
        requireServer();
        SystemClientDetector detector(server->display(), noProcesses.path());
        QVERIFY(!seen(detector.isPalaceRunning()));
        auto client = std::make_unique<StandIn::Process>(StandIn::Options{.display = server->display()});
        QVERIFY2(client->waitUntilReady(), qPrintable(client->failure()));
        QVERIFY(seen(detector.isPalaceRunning()));
        client.reset();
        QVERIFY(!settlesTo(detector, false));
    }

    void windowCountsWithoutProcessTable() {
        requireServer();
        StandIn::Process client({.arguments = {"--class", "Palace"}, .display = server->display()});
        QVERIFY2(client.waitUntilReady(), qPrintable(client.failure()));
        QVERIFY(seen(
            SystemClientDetector(server->display(), QStringLiteral("/nonexistent/proc")).isPalaceRunning()));
    }

    void processWithoutXServer_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("commandWord"); // empty: the program's own path
        QTest::addColumn<bool>("ended");          // it has ended, and its parent never reaps it
        QTest::addColumn<QString>("shownName");   // empty: not running
        QTest::newRow("named palace32.exe") << "palace32.exe"
                                            << "" << false << "palace32.exe";
        QTest::newRow("named PALACE32.EXE") << "PALACE32.EXE"
                                            << "" << false << "PALACE32.EXE";
        QTest::newRow("Windows path as first word") << "winestub"
                                                    << "C:\\Palace\\palace32.exe" << false << "palace32.exe";
        QTest::newRow("Unix path as first word") << "winestub"
                                                 << "/opt/Palace32.exe" << false << "Palace32.exe";
        QTest::newRow("known only by its comm") << "palace32.exe"
                                                << "wine-preloader" << false << "palace32.exe";
        QTest::newRow("another name") << "palace33.exe"
                                      << "" << false << "";
        QTest::newRow("another first word") << "winestub"
                                            << "C:\\palace32.exe\\x" << false << "";
        QTest::newRow("ended, not yet reaped") << "palace32.exe"
                                               << "" << true << "";
    }
    void processWithoutXServer() {
        QFETCH(QString, fileName);
        QFETCH(QString, commandWord);
        QFETCH(bool, ended);
        QFETCH(QString, shownName);
        const QString program = StandIn::copyAs(programs.path(), fileName);
        QVERIFY(!program.isEmpty());
        StandIn::Options options;
        options.program = program;
        if (!commandWord.isEmpty()) {
            // bash's exec -a sets the first command-line word apart from the file run, as Wine does.
            options.program = QStringLiteral("bash");
            options.arguments = QStringList{"-c", "exec -a \"$1\" \"$0\"", program, commandWord};
        }
        if (ended) {
            // The stand-in ends at once on an option it does not know; the shell's exec leaves it a parent
            // that never waits. It starts only once that exec is done: the shell itself would reap it.
            options.program = QStringLiteral("bash");
            options.arguments = QStringList{"-c",
                                            "bash -c 'until [ \"$(cat /proc/$PPID/comm)\" = sleep ]; do "
                                            "sleep 0.01; done; exec \"$0\" --end' "
                                            "\"$0\" 2>/dev/null & echo no window; exec sleep 120",
                                            program};
        }
        StandIn::Process client(options);
        QVERIFY2(client.waitUntilReady(), qPrintable(client.failure()));
        QCOMPARE(client.window(), 0u);
        const qint64 pid = ended ? unreapedChildOf(client.pid()) : client.pid();
        QVERIFY(pid != 0);
        QVERIFY(!ended || readFile(QStringLiteral("/proc/%1/comm").arg(pid)) == "palace32.exe\n");

        const ProcessView onlyThisClient({pid});
        const QString shown =
            shownName.isEmpty() ? QString() : QStringLiteral("%1 (process %2)").arg(shownName).arg(pid);
        QCOMPARE(SystemClientDetector(displayWithNoServer(), onlyThisClient.path()).isPalaceRunning().value,
                 shown);
        if (shown.isEmpty())
            return;
        // The real process table, with the display pointing nowhere and with no display at all.
        QVERIFY(seen(SystemClientDetector(displayWithNoServer()).isPalaceRunning()));
        const QByteArray display = qgetenv("DISPLAY");
        qunsetenv("DISPLAY");
        const bool runningWithDisplayUnset = seen(SystemClientDetector().isPalaceRunning());
        if (!display.isEmpty())
            qputenv("DISPLAY", display);
        QVERIFY(runningWithDisplayUnset);
    }

    void processOfAnotherUser() {
        if (getuid() != 0)
            QSKIP("starting a process as another user needs root");
        QTemporaryDir shared;
        QVERIFY(QFile::setPermissions(shared.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                         QFile::ReadOther | QFile::ExeOther));
        const QString program = StandIn::copyAs(shared.path(), QStringLiteral("palace32.exe"));
        StandIn::Process other({.program = program, .asNobody = true});
        if (!other.waitUntilReady())
            QSKIP(qPrintable(QStringLiteral("cannot run a process as nobody here: ") + other.failure()));
        QVERIFY(!seen(SystemClientDetector(displayWithNoServer(), ProcessView({other.pid()}).path())
                          .isPalaceRunning()));

        StandIn::Process own({.program = program});
        QVERIFY2(own.waitUntilReady(), qPrintable(own.failure()));
        QVERIFY(seen(SystemClientDetector(displayWithNoServer(), ProcessView({other.pid(), own.pid()}).path())
                         .isPalaceRunning()));
    }

    // Nothing in the authority file's place holds the lookup past its time limit either.
    void nothingRunning_data() {
        QTest::addColumn<QByteArray>("authority"); // a link's target, or "fifo": a pipe with no writer
        QTest::newRow("the server's authority file") << QByteArray();
        QTest::newRow("authority file a pipe with no writer") << QByteArray("fifo");
        QTest::newRow("authority file a link to a device without end") << QByteArray("/dev/zero");
    }
    void nothingRunning() {
        QFETCH(QByteArray, authority);
        QTemporaryDir folder;
        const QByteArray path = QFile::encodeName(folder.filePath(QStringLiteral("Xauthority")));
        const auto restore = qScopeGuard([kept = qgetenv("XAUTHORITY")] { qputenv("XAUTHORITY", kept); });
        if (!authority.isEmpty()) {
            QVERIFY((authority == "fifo" ? mkfifo(path, 0600) : symlink(authority, path)) == 0);
            qputenv("XAUTHORITY", path);
        }
        QByteArray silentDisplay;
        const int silentServer = listenAsSilentServer(silentDisplay);
        QVERIFY(silentServer >= 0);
        // In a thread of its own, so that a lookup that hangs fails here instead of holding the suite.
        auto answer = std::make_shared<std::promise<Sighting>>();
        std::future<Sighting> answered = answer->get_future();
        std::thread([answer, silentDisplay] {
            answer->set_value(SystemClientDetector(silentDisplay, "/nonexistent/proc").isPalaceRunning());
        }).detach();
        const bool returned = answered.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
        close(silentServer);
        QVERIFY2(returned, "still waiting for a server that never answers, or on its authority file");
        // Nothing is seen, and the answer says whether the look could tell.
        const auto nothingSeen = [](const Sighting& sighting, bool told) {
            return sighting.value.isEmpty() && bool(sighting.result) == told;
        };
        QVERIFY(nothingSeen(answered.get(), false));

        if (foreignClientProcessRuns())
            QSKIP("a palace32.exe process that this test did not start is running");
        QVERIFY(nothingSeen(SystemClientDetector(displayWithNoServer()).isPalaceRunning(), false));
        QVERIFY(nothingSeen(SystemClientDetector(displayWithNoServer(), QStringLiteral("/nonexistent/proc"))
                                .isPalaceRunning(),
                            false));
        if (!server->isRunning())
            return;
        // Without the server's cookie the look is refused, and says it cannot tell.
        QVERIFY(nothingSeen(SystemClientDetector(server->display()).isPalaceRunning(), authority.isEmpty()));
        // The windows can tell; no process table cannot.
        QVERIFY(nothingSeen(
            SystemClientDetector(server->display(), QStringLiteral("/nonexistent/proc")).isPalaceRunning(),
            false));
    }
};

QTEST_GUILESS_MAIN(SystemDetectorTest)
#include "tst_systemdetector.moc"
