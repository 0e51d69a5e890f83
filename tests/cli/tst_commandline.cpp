// The built program run from a shell, as a script runs it: a private home, settings, trash and Wine
// prefix, no display, and a program folder of its own holding the bags a.prp, B.prp and one whose name
// is not UTF-8, and the program without its windows' module, which no command needs; the client's folder
// holds palace.prp and a palace32.exe that leaves a mark when started.
#include "client/StandIn.h"
#include "client/SystemClientDetector.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

namespace {
enum Setting { Stored, Nothing, Unreadable, WithoutSeparator, Relative };
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
        const QByteArray stored[] = {"@WORK@/palace/", "", "", "@WORK@/palace", "palace/"};
        if (!stored[setting].isEmpty())
            writeFile(at(QStringLiteral("config/Stowbox.conf")),
                      expanded("[Spath]\nPathkey=" + stored[setting] + "\n"));
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
        // Each kind of argument a user gets wrong, and what then happens: nothing but one line.
        const QByteArray unchanged = "LIVE";
        QTest::newRow("two names for one")
            << QByteArray("s save a b") << int(Stored) << false << 2 << QByteArray()
            << QByteArray("stowbox: save: takes 1 argument; see stowbox --help\n")
            << Files{{"program/a.prp", "A"}, {"program/b.prp", gone}};
        QTest::newRow("a mistyped option after the name")
            << QByteArray("s load a -v") << int(Stored) << false << 2 << QByteArray()
            << QByteArray("stowbox: unknown option '-v'; see stowbox --help\n") << Files{{live, unchanged}};
        QTest::newRow("an option alone opens no window")
            << QByteArray("s --frobnicate") << int(Stored) << false << 2 << QByteArray()
            << QByteArray("stowbox: unknown option '--frobnicate'; see stowbox --help\n") << Files{};
        QTest::newRow("no argument and no display")
            << QByteArray("env -u QT_QPA_PLATFORM program/STX102") << int(Stored) << false << 1
            << QByteArray()
            << QByteArray("stowbox: no display to open the window on; give a command, see stowbox --help\n")
            << Files{};
        const QByteArray loadHelp =
            "Usage: stowbox load [--permanent] NAME\n"
            "Puts the bag NAME (with or without .prp) in place of palace.prp.\n\nOptions:\n"
            "      --permanent       where no trash can take a file, destroys it for good\n";
        QTest::newRow("a command's help, anywhere, does nothing")
            << QByteArray("s load a --help && s help load") << int(Stored) << false << 0
            << loadHelp + loadHelp << QByteArray() << Files{{live, unchanged}};
        QTest::newRow("--version with a command")
            << QByteArray("s --version list") << int(Stored) << false << 2 << QByteArray()
            << QByteArray("stowbox: --version goes alone; see stowbox --help\n") << Files{};
        QTest::newRow("a command two edits away")
            << QByteArray("s lsit") << int(Stored) << false << 2 << QByteArray()
            << QByteArray("stowbox: unknown command 'lsit'; did you mean 'list'?\n") << Files{};
        QTest::newRow("an empty name")
            << QByteArray("s save ''; echo $?; s set-path ''") << int(Stored) << false << 2
            << QByteArray("2\n")
            << QByteArray(
                   "stowbox: save: a name cannot be empty\nstowbox: set-path: a name cannot be empty\n")
            << Files{{"program/.prp", gone}};
        QTest::newRow("path with nothing stored")
            << QByteArray("s path") << int(Nothing) << false << 1 << QByteArray()
            << "stowbox: path: " + nothingStored << Files{};
        QTest::newRow("a name with a folder, deleting")
            << QByteArray("printf V >victim.prp; s delete ../victim") << int(Stored) << false << 1
            << QByteArray()
            << QByteArray("stowbox: delete: ../victim: the name must be one file name, without a folder\n")
            << Files{{"victim.prp", "V"}};
        QTest::newRow("load by the name the list shows")
            << QByteArray("s load a.prp") << int(Stored) << false << 0 << QByteArray() << QByteArray()
            << Files{{live, "A"}};
        QTest::newRow("no trash: refused, then done with --permanent")
            << QByteArray("printf x >data/Trash; s delete a; echo $?; s delete --permanent a") << int(Stored)
            << false << 0 << QByteArray("1\n")
            << QByteArray(
                   "stowbox: delete: a.prp: no trash can take it (Not a directory); --permanent deletes it "
                   "for good\n")
            << Files{{"program/a.prp", gone}};
        QTest::newRow("a full disk under the output")
            << QByteArray("s list >/dev/full") << int(Stored) << false << 1 << QByteArray()
            << QByteArray("stowbox: list: standard output: No space left on device\n") << Files{};
        QTest::newRow("no output at all")
            << QByteArray("s list >&-; echo $?; s path >&-") << int(Stored) << false << 1 << QByteArray("1\n")
            << QByteArray("stowbox: list: standard output: Bad file descriptor\n"
                          "stowbox: path: standard output: Bad file descriptor\n")
            << Files{};
        QTest::newRow("set-path of a directory whose name is not UTF-8, byte for byte")
            << "mkdir palace" + odd + " && printf L >palace" + odd + "/palace.prp && s set-path palace" +
                   odd + " && s path && s save nu"
            << int(Nothing) << false << 0 << QByteArray("@WORK@/palace\xff\xfe/\n") << QByteArray()
            << Files{{"program/nu.prp", "L"}};
        QTest::newRow("set-path through a link stores the link")
            << QByteArray("ln -s palace link && s set-path link && s path") << int(Nothing) << false << 0
            << QByteArray("@WORK@/link/\n") << QByteArray() << Files{};
        // The file at fault is the one named.
        QTest::newRow("load of a link to nothing names the bag")
            << QByteArray("ln -s nowhere program/d.prp; s load d") << int(Stored) << false << 1
            << QByteArray() << QByteArray("stowbox: load: d.prp: No such file or directory\n")
            << Files{{live, unchanged}};
        QTest::newRow("load of a pipe names the bag")
            << QByteArray("mkfifo program/f.prp; s load f") << int(Stored) << false << 1 << QByteArray()
            << QByteArray("stowbox: load: f.prp: Invalid argument\n") << Files{{live, unchanged}};
        QTest::newRow("save of a palace.prp that cannot be read names it")
            << QByteArray("rm " + live + "; mkfifo " + live + "; s save new") << int(Stored) << false << 1
            << QByteArray() << QByteArray("stowbox: save: @WORK@/palace/palace.prp: Invalid argument\n")
            << Files{{"program/new.prp", gone}};
        const QByteArray tooLong(300, 'n');
        QTest::newRow("rename to a name too long names it")
            << "s rename a " + tooLong << int(Stored) << false << 1 << QByteArray()
            << "stowbox: rename: " + tooLong + ".prp: File name too long\n"
            << Files{{"program/a.prp", "A"}};
        // The stored directory, as the window takes it.
        QTest::newRow("a stored directory without its separator")
            << QByteArray("s load a") << int(WithoutSeparator) << false << 0 << QByteArray() << QByteArray()
            << Files{{live, "A"}, {"palacepalace.prp", gone}};
        QTest::newRow("start with a relative directory stored")
            << QByteArray("s start") << int(Relative) << false << 1 << QByteArray()
            << QByteArray(
                   "stowbox: start: the stored Palace directory 'palace/' is no full path; run 'stowbox "
                   "set-path DIR' first\n")
            << Files{{"palace/started", gone}};
        QTest::newRow("a program directory whose name is not UTF-8")
            << "mkdir " + odd + " && cp program/STX102 " + odd + "/ && printf Q >" + odd + "/q.prp && " +
                   odd + "/STX102 list && " + odd + "/STX102 load q"
            << int(Stored) << false << 0 << QByteArray("q.prp\n") << QByteArray() << Files{{live, "Q"}};
        // What killed copies left goes at any start.
        QTest::newRow("leftovers of a killed copy")
            << QByteArray("printf x >palace/.stowbox-AAAAAA.tmp; printf y >program/.stowbox-BBBBBB.tmp; "
                          "mkdir -p data/Trash/info data/Trash/files; printf '[Trash Info]\\nPath=/x\\n"
                          "# Kept by Stowbox\\n' >data/Trash/info/ours.trashinfo; printf '[Trash Info]\\n"
                          "Path=/y\\n' >data/Trash/info/theirs.trashinfo; s path")
            << int(Stored) << false << 0 << QByteArray("@WORK@/palace/\n") << QByteArray()
            << Files{{"palace/.stowbox-AAAAAA.tmp", gone},
                     {"program/.stowbox-BBBBBB.tmp", gone},
                     {"data/Trash/info/ours.trashinfo", gone},
                     {"data/Trash/info/theirs.trashinfo", "Path=/y"}};
        QTest::newRow("rename onto another name of the same file")
            << QByteArray("ln program/a.prp program/h.prp && s rename a h") << int(Stored) << false << 0
            << QByteArray() << QByteArray() << Files{{"program/a.prp", gone}, {"program/h.prp", "A"}};
        // Which bag is loaded, and the versions the trash keeps.
        QTest::newRow("current and the long list")
            << QByteArray("s current; s load a && s current && s list -l | cut -d' ' -f1,2,5") << int(Stored)
            << false << 0 << QByteArray("a.prp\n* 1 a.prp\n- 1 B.prp\n- 1 \xff\xfe.prp\n")
            << QByteArray("stowbox: current: no bag holds the props now in palace.prp\n") << Files{};
        QTest::newRow("history and restore")
            << QByteArray("s load a && s load B && s load a && s load B && s history | cut -d' ' -f1,4- && "
                          "s restore 3 && s restore 1 --as back && s history | cut -d' ' -f1,4-")
            << int(Stored) << false << 0 << QByteArray("1 1 = B.prp\n2 1 = a.prp\n3 4\n1 1 = a.prp\n")
            << QByteArray() << Files{{live, "LIVE"}, {"program/back.prp", "B"}};
        QTest::newRow("a linked palace.prp: its versions found, and its link kept")
            << QByteArray("mv palace/palace.prp palace/real.prp && ln -s real.prp " + live +
                          " && s load a && s history | cut -d' ' -f1,4 && s restore 1 && test -L " + live +
                          " && cat palace/real.prp")
            << int(Stored) << false << 0 << QByteArray("1 4\nLIVE") << QByteArray() << Files{};
        QTest::newRow("restore of what is not there")
            << QByteArray("s restore 1; echo $?; s restore x; echo $?; s restore a 1") << int(Stored) << false
            << 1 << QByteArray("1\n2\n")
            << QByteArray("stowbox: restore: @WORK@/palace/palace.prp: no such version in the trash; see "
                          "'stowbox history'\nstowbox: restore: 'x' is no version number; 'stowbox history' "
                          "numbers them from 1\nstowbox: restore: a.prp: no such version in the "
                          "trash; see 'stowbox history'\n")
            << Files{{live, unchanged}};
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
        QString seen;
        QTRY_VERIFY2_WITH_TIMEOUT((seen = SystemClientDetector().isPalaceRunning().value).isEmpty(),
                                  qPrintable(seen), 30000);
    }

    // The commands are written once, in the program's table: its help lists them, and the completion and
    // the manual page must list the same.
    void everyListOfCommandsIsTheTable() {
        QProcess program;
        program.start(QStringLiteral(STX102_PATH), {QStringLiteral("help")});
        QVERIFY(program.waitForFinished(60000));
        QStringList table;
        for (const QByteArray& line : program.readAllStandardOutput().split('\n'))
            if (const QRegularExpressionMatch m =
                    QRegularExpression("^  ([a-z][a-z-]*)").match(QString::fromLatin1(line));
                m.hasMatch())
                table.append(m.captured(1));
        QVERIFY(table.size() >= 12);
        const QString packaging = QStringLiteral(QT_TESTCASE_SOURCEDIR "/../packaging/");
        const QString completion = QString::fromUtf8(readFile(packaging + "stowbox.bash-completion"));
        const QString listed =
            QRegularExpression("_stowbox_commands=\"([^\"]*)\"").match(completion).captured(1);
        QCOMPARE(listed.split(' '), table);
        const QString manual = QString::fromUtf8(readFile(packaging + "stowbox.1.in"));
        const QString commands =
            manual.section(QStringLiteral(".SH COMMANDS\n"), 1).section(QStringLiteral("\n.SH "), 0, 0);
        QStringList described;
        for (const QRegularExpressionMatch& m :
             QRegularExpression("^\\.TP\n\\.B ([a-z-]+)", QRegularExpression::MultilineOption)
                 .globalMatch(commands))
            described.append(m.captured(1));
        QCOMPARE(described, table);
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
