// The built program run from a shell, as a script runs it: a private home, settings, trash and Wine
// prefix, no display, and a program folder of its own holding the bags a.prp, B.prp and one whose name
// is not UTF-8, and the program without its windows' module, which no command needs; the client's folder
// holds palace.prp and a palace32.exe that leaves a mark when started.
#include "client/StandIn.h"
#include "client/SystemClientDetector.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

namespace {
enum Setting { Stored, Nothing, Unreadable };
using Files = QMap<QString, QByteArray>; // afterwards, under the work folder; a .trashinfo need only hold it
const QByteArray gone = "<unreadable>";
// $(printf '\377\376') is a name that is not UTF-8. The shell makes that bag, gives the program its
// own home, settings, trash and Wine prefix in the work folder and no display, and calls it `s`.
const QByteArray odd = "$(printf '\\377\\376')";
const QByteArray setUp =
    "printf X >program/" + odd +
    ".prp; export HOME=$PWD/home XDG_CONFIG_HOME=$PWD/config "
    "XDG_DATA_HOME=$PWD/data WINEPREFIX=$PWD/wine; unset DISPLAY; s() { program/STX102 \"$@\"; }; ";
} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

    QTemporaryDir top;
    QString work;
    int rows = 0;

    QString at(const QString& relative) const { return work + QLatin1Char('/') + relative; }
    QByteArray expanded(QByteArray text) const { return text.replace("@WORK@", QFile::encodeName(work)); }

    void prepare(Setting setting) {
        work = top.filePath(QString::number(++rows));
        for (const char* folder : {"program", "palace", "home", "config", "data"})
            QVERIFY(QDir().mkpath(at(QLatin1String(folder))));
        QVERIFY(QFile::copy(QStringLiteral(STX102_PATH), at(QStringLiteral("program/STX102"))));
        writeFile(at(QStringLiteral("program/a.prp")), "A");
        writeFile(at(QStringLiteral("program/B.prp")), "B");
        writeFile(at(QStringLiteral("palace/palace.prp")), "LIVE");
        writeFile(at(QStringLiteral("palace/palace32.exe")),
                  "#!/bin/sh\necho started >\"${0%/*}/started\"\n");
        QVERIFY(QFile::setPermissions(at(QStringLiteral("palace/palace32.exe")),
                                      QFile::ReadOwner | QFile::ExeOwner));
        if (setting == Stored)
            writeFile(at(QStringLiteral("config/Stowbox.conf")),
                      expanded("[Spath]\nPathkey=@WORK@/palace/\n"));
        else if (setting == Unreadable)
            QVERIFY(QDir().mkdir(at(QStringLiteral("config/Stowbox.conf"))));
    }

private slots:
    void initTestCase() {
        qunsetenv("DISPLAY");
        QVERIFY(top.isValid());
    }

    void cleanupTestCase() { QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), top.path()}); }

    void commands_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<int>("setting");
        QTest::addColumn<bool>("clientRuns");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QByteArray>("error");
        QTest::addColumn<Files>("files");
        const QByteArray live = "palace/palace.prp";
        QTest::newRow("list") << QByteArray("s list") << int(Stored) << false << 0
                              << QByteArray("a.prp\nB.prp\n\xff\xfe.prp\n") << QByteArray() << Files{};
        QTest::newRow("delete and list -0, names as bytes")
            << "s delete " + odd + " && s list -0 && cat data/Trash/files/*" << int(Stored) << false << 0
            << QByteArray("a.prp\0B.prp\0X", 13) << QByteArray() << Files{};
        QTest::newRow("save") << QByteArray("s save new") << int(Stored) << false << 0 << QByteArray()
                              << QByteArray() << Files{{"program/new.prp", "LIVE"}};
        QTest::newRow("load, the replaced file in the trash")
            << QByteArray("s load a") << int(Stored) << false << 0 << QByteArray() << QByteArray()
            << Files{{live, "A"},
                     {"data/Trash/files/palace.prp", "LIVE"},
                     {"data/Trash/info/palace.prp.trashinfo", "Path=@WORK@/palace/palace.prp\n"}};
        QTest::newRow("rename") << QByteArray("s rename B.prp C") << int(Stored) << false << 0 << QByteArray()
                                << QByteArray() << Files{{"program/C.prp", "B"}, {"program/B.prp", gone}};
        QTest::newRow("start") << QByteArray("s start") << int(Stored) << false << 0 << QByteArray()
                               << QByteArray() << Files{{"palace/started", "started\n"}};
        QTest::newRow("set-path, made absolute, and path")
            << QByteArray("s set-path ./palace/. && s path") << int(Nothing) << false << 0
            << QByteArray("@WORK@/palace/\n") << QByteArray() << Files{};
        QTest::newRow("set-path of a file")
            << QByteArray("s set-path " + live) << int(Stored) << false << 1 << QByteArray()
            << "stowbox: set-path: " + live + ": Not a directory\n"
            << Files{};
        QTest::newRow("version") << QByteArray("s --version") << int(Stored) << false << 0
                                 << QByteArray("Stowbox V1.02\n") << QByteArray() << Files{};
        QTest::newRow("help") << QByteArray("s --help >help && head -n 1 help") << int(Stored) << false << 0
                              << QByteArray("Usage: stowbox [options] COMMAND [ARGUMENTS]\n") << QByteArray()
                              << Files{};
        QTest::newRow("no command, and no windows' module to open the window")
            << QByteArray("s") << int(Stored) << false << 1 << QByteArray()
            << QByteArray(
                   "stowbox: @WORK@/program/stowbox_windows.so: cannot open shared object file: No such "
                   "file or directory\n")
            << Files{};
        QTest::newRow("unknown command")
            << QByteArray("s frob") << int(Stored) << false << 2 << QByteArray()
            << QByteArray("stowbox: unknown command 'frob'; see stowbox --help\n") << Files{};
        QTest::newRow("missing name")
            << QByteArray("s save") << int(Stored) << false << 2 << QByteArray()
            << QByteArray("stowbox: save: takes 1 argument; see stowbox --help\n") << Files{};
        QTest::newRow("load of no bag")
            << QByteArray("s load party") << int(Stored) << false << 1 << QByteArray()
            << QByteArray("stowbox: load: party.prp: No such file or directory\n") << Files{{live, "LIVE"}};
        QTest::newRow("a name with a folder")
            << QByteArray("s save ../x") << int(Stored) << false << 1 << QByteArray()
            << QByteArray("stowbox: save: ../x: the name must be one file name, without a folder\n")
            << Files{{"x.prp", gone}};
        const QByteArray nothingStored = "no Palace directory is stored; run 'stowbox set-path DIR' first\n";
        QTest::newRow("nothing stored")
            << QByteArray("s save new; echo $?; s load a") << int(Nothing) << false << 1 << QByteArray("1\n")
            << "stowbox: save: " + nothingStored + "stowbox: load: " + nothingStored
            << Files{{"program/new.prp", gone}, {"palace.prp", gone}};
        QTest::newRow("unreadable settings")
            << QByteArray("s path") << int(Unreadable) << false << 1 << QByteArray()
            << QByteArray("stowbox: path: @WORK@/config/Stowbox.conf: Is a directory\n") << Files{};
        const QByteArray running =
            "Palace is currently running on your system; close the palace client before a load or save\n";
        QTest::newRow("the client runs")
            << QByteArray("s save new; echo $?; s load a") << int(Stored) << true << 3 << QByteArray("3\n")
            << "stowbox: save: palace32.exe (process @PID@): " + running +
                   "stowbox: load: palace32.exe (process @PID@): " + running
            << Files{{"program/new.prp", gone}, {live, "LIVE"}};
    }

    void commands() {
        QFETCH(QByteArray, script);
        QFETCH(int, setting);
        QFETCH(bool, clientRuns);
        QFETCH(int, status);
        QFETCH(QByteArray, output);
        QFETCH(QByteArray, error);
        QFETCH(Files, files);
        prepare(Setting(setting));
        if (QTest::currentTestFailed())
            return;
        std::optional<StandIn::Process> client;
        if (clientRuns) {
            client.emplace(StandIn::Options{StandIn::copyAs(work, QStringLiteral("palace32.exe"))});
            QVERIFY2(client->waitUntilReady(), qPrintable(client->failure()));
        }

        QProcess program;
        program.setWorkingDirectory(work);
        program.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QLatin1String(setUp + script)});
        QVERIFY(program.waitForFinished(60000));
        const QByteArray printed = program.readAllStandardOutput();
        QCOMPARE(program.readAllStandardError(),
                 expanded(error).replace("@PID@", QByteArray::number(client ? client->pid() : 0)));
        QCOMPARE(printed, expanded(output));
        QCOMPARE(program.exitCode(), status);
        for (auto file = files.cbegin(); file != files.cend(); ++file) {
            const QString path = at(file.key());
            if (path.endsWith(QLatin1String(".trashinfo")))
                QTRY_VERIFY2(readFile(path).contains(expanded(file.value())), qPrintable(path));
            else
                QTRY_COMPARE_WITH_TIMEOUT(readFile(path), file.value(), 30000);
        }
        if (client)
            client->stop();
        // Neither the stand-in nor the started mark-maker may be seen by the next row.
        QTRY_VERIFY_WITH_TIMEOUT(SystemClientDetector().isPalaceRunning().value.isEmpty(), 30000);
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
