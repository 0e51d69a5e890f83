#include "client/ProcessView.h"
#include "client/StandIn.h"
#include "client/SystemClientDetector.h"
#include "client/XvfbServer.h"

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

// Polls until the detector gives the expected answer; the X server drops a killed client's window
// on its own time. Returns the last answer.
bool settlesTo(SystemClientDetector& detector, bool expected) {
    const QDeadlineTimer deadline(5000);
    bool answer = detector.isPalaceRunning();
    while (answer != expected && !deadline.hasExpired()) {
        QThread::msleep(20);
        answer = detector.isPalaceRunning();
    }
    return answer;
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
        QTest::addColumn<bool>("running");
        QTest::newRow("native class") << QStringList{"--instance", "palace", "--class", "Palace"} << true;
        QTest::newRow("Wine class") << QStringList{} << true;
        QTest::newRow("Wine class, upper case")
            << QStringList{"--instance", "PALACE32.EXE", "--class", "PALACE32.EXE"} << true;
        QTest::newRow("unmapped") << QStringList{"--unmapped", "--instance", "palace", "--class", "Palace"}
                                  << true;
        QTest::newRow("titled Palace, another class")
            << QStringList{"--instance", "xterm", "--class", "XTerm", "--title", "Palace"} << false;
        QTest::newRow("titled palace32.exe, another class")
            << QStringList{"--instance", "x", "--class", "X", "--title", "palace32.exe"} << false;
    }
    void window() {
        requireServer();
        QFETCH(QStringList, arguments);
        QFETCH(bool, running);
        StandIn::Process client({.arguments = arguments, .display = server->display()});
        QVERIFY2(client.waitUntilReady(), qPrintable(client.failure()));
        QVERIFY(client.window() != 0);
        SystemClientDetector detector(server->display(), noProcesses.path());
        QCOMPARE(detector.isPalaceRunning(), running);
    }

    void windowNestedUnderAnother() {
        requireServer();
        StandIn::Process frame(
            {.arguments = {"--instance", "frame", "--class", "Frame"}, .display = server->display()});
        QVERIFY2(frame.waitUntilReady(), qPrintable(frame.failure()));
        SystemClientDetector detector(server->display(), noProcesses.path());
        QVERIFY(!detector.isPalaceRunning());

        StandIn::Process middle(
            {.arguments = {"--instance", "m", "--class", "M", "--parent", QString::number(frame.window())},
             .display = server->display()});
        QVERIFY2(middle.waitUntilReady(), qPrintable(middle.failure()));
        StandIn::Process client({.arguments = {"--unmapped", "--parent", QString::number(middle.window())},
                                 .display = server->display()});
        QVERIFY2(client.waitUntilReady(), qPrintable(client.failure()));
        QVERIFY(detector.isPalaceRunning());
    }

    void askedAnewAtEachCall() {
        requireServer();
        SystemClientDetector detector(server->display(), noProcesses.path());
        QVERIFY(!detector.isPalaceRunning());
        auto client = std::make_unique<StandIn::Process>(StandIn::Options{.display = server->display()});
        QVERIFY2(client->waitUntilReady(), qPrintable(client->failure()));
        QVERIFY(detector.isPalaceRunning());
        client.reset();
        QVERIFY(!settlesTo(detector, false));
    }

    void windowCountsWithoutProcessTable() {
        requireServer();
        StandIn::Process client({.arguments = {"--class", "Palace"}, .display = server->display()});
        QVERIFY2(client.waitUntilReady(), qPrintable(client.failure()));
        QVERIFY(
            SystemClientDetector(server->display(), QStringLiteral("/nonexistent/proc")).isPalaceRunning());
    }

    void processWithoutXServer_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("commandWord"); // empty: the program's own path
        QTest::addColumn<bool>("running");
        QTest::newRow("named palace32.exe") << "palace32.exe"
                                            << "" << true;
        QTest::newRow("named PALACE32.EXE") << "PALACE32.EXE"
                                            << "" << true;
        QTest::newRow("Windows path as first word") << "winestub"
                                                    << "C:\\Palace\\palace32.exe" << true;
        QTest::newRow("Unix path as first word") << "winestub"
                                                 << "/opt/Palace32.exe" << true;
        QTest::newRow("another name") << "palace33.exe"
                                      << "" << false;
        QTest::newRow("another first word") << "winestub"
                                            << "C:\\palace32.exe\\x" << false;
    }
    void processWithoutXServer() {
        QFETCH(QString, fileName);
        QFETCH(QString, commandWord);
        QFETCH(bool, running);
        const QString program = StandIn::copyAs(programs.path(), fileName);
        QVERIFY(!program.isEmpty());
        StandIn::Options options;
        options.program = program;
        if (!commandWord.isEmpty()) {
            // bash's exec -a sets the first command-line word apart from the file run, as Wine does.
            options.program = QStringLiteral("bash");
            options.arguments = QStringList{"-c", "exec -a \"$1\" \"$0\"", program, commandWord};
        }
        StandIn::Process client(options);
        QVERIFY2(client.waitUntilReady(), qPrintable(client.failure()));
        QCOMPARE(client.window(), 0u);

        const ProcessView onlyThisClient({client.pid()});
        QCOMPARE(SystemClientDetector(displayWithNoServer(), onlyThisClient.path()).isPalaceRunning(),
                 running);
        if (!running)
            return;
        // The real process table, with the display pointing nowhere and with no display at all.
        QVERIFY(SystemClientDetector(displayWithNoServer()).isPalaceRunning());
        const QByteArray display = qgetenv("DISPLAY");
        qunsetenv("DISPLAY");
        const bool runningWithDisplayUnset = SystemClientDetector().isPalaceRunning();
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
        QVERIFY(!SystemClientDetector(displayWithNoServer(), ProcessView({other.pid()}).path())
                     .isPalaceRunning());

        StandIn::Process own({.program = program});
        QVERIFY2(own.waitUntilReady(), qPrintable(own.failure()));
        QVERIFY(SystemClientDetector(displayWithNoServer(), ProcessView({other.pid(), own.pid()}).path())
                    .isPalaceRunning());
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
        auto answer = std::make_shared<std::promise<bool>>();
        std::future<bool> answered = answer->get_future();
        std::thread([answer, silentDisplay] {
            answer->set_value(SystemClientDetector(silentDisplay, "/nonexistent/proc").isPalaceRunning());
        }).detach();
        const bool returned = answered.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
        close(silentServer);
        QVERIFY2(returned, "still waiting for a server that never answers, or on its authority file");
        QVERIFY(!answered.get());

        if (foreignClientProcessRuns())
            QSKIP("a palace32.exe process that this test did not start is running");
        QVERIFY(!SystemClientDetector(displayWithNoServer()).isPalaceRunning());
        QVERIFY(!SystemClientDetector(displayWithNoServer(), QStringLiteral("/nonexistent/proc"))
                     .isPalaceRunning());
        if (server->isRunning())
            QVERIFY(!SystemClientDetector(server->display()).isPalaceRunning());
    }
};

QTEST_GUILESS_MAIN(SystemDetectorTest)
#include "tst_systemdetector.moc"
