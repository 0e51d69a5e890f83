#include "client/LaunchCommand.h"

#include <QDir>
#include <QMap>
#include <QtTest>

using LaunchCommand::Command;
using LaunchCommand::FileKind;
using Files = QMap<QString, FileKind>;

Q_DECLARE_METATYPE(Command)

namespace {

const FileKind run = FileKind::Runnable;
const FileKind inert = FileKind::Inert;

Command direct(const QString& program) {
    return {Command::Direct, program, {}, {}};
}
Command wine(const QString& winePath, const QString& program) {
    return {Command::ThroughWine, winePath, {program}, {}};
}
const Command notFound{};

} // namespace

class LaunchCommandTest : public QObject {
    Q_OBJECT

private slots:
    void choose_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("searchPath");
        QTest::addColumn<Files>("files");
        QTest::addColumn<Command>("expected");

        const QString exe = QStringLiteral("/p/palace32.exe");
        QTest::newRow("runnable file") << exe << "/bin" << Files{{exe, run}} << direct(exe);
        QTest::newRow("runnable file, no search path") << exe << "" << Files{{exe, run}} << direct(exe);
        QTest::newRow("inert .exe through Wine")
            << exe << "/bin:/usr/bin" << Files{{exe, inert}, {"/usr/bin/wine", run}}
            << wine("/usr/bin/wine", exe);
        QTest::newRow("upper-case extension") << "/p/PALACE32.EXE"
                                              << "/w" << Files{{"/p/PALACE32.EXE", inert}, {"/w/wine", run}}
                                              << wine("/w/wine", "/p/PALACE32.EXE");
        QTest::newRow("first runnable wine wins")
            << exe << "/a:/b/:/c"
            << Files{{exe, inert}, {"/a/wine", inert}, {"/b/wine", run}, {"/c/wine", run}}
            << wine("/b/wine", exe);
        QTest::newRow("no wine") << exe << "/bin:/usr/bin" << Files{{exe, inert}} << notFound;
        QTest::newRow("wine not runnable")
            << exe << "/bin" << Files{{exe, inert}, {"/bin/wine", inert}} << notFound;
        QTest::newRow("inert file not a Windows program")
            << "/p/palace32"
            << "/bin" << Files{{"/p/palace32", inert}, {"/bin/wine", run}} << notFound;
        QTest::newRow("missing file") << exe << "/bin" << Files{{"/bin/wine", run}} << notFound;
        QTest::newRow("doubled separator kept")
            << "/p//palace32.exe"
            << "" << Files{{"/p//palace32.exe", run}} << direct("/p//palace32.exe");
        QTest::newRow("relative path is not looked up")
            << "p/palace32.exe"
            << "/bin" << Files{{"/bin/p/palace32.exe", run}} << notFound;
        QTest::newRow("relative path runnable")
            << "p/palace32.exe"
            << "/bin" << Files{{"p/palace32.exe", run}} << direct("p/palace32.exe");

        const QString bare = QStringLiteral("palace32.exe");
        QTest::newRow("bare name on the path")
            << bare << "/a:/b" << Files{{"/b/palace32.exe", run}} << direct("/b/palace32.exe");
        QTest::newRow("bare name, first runnable wins over earlier inert")
            << bare << "/a:/b:/c"
            << Files{{"/a/palace32.exe", inert}, {"/b/palace32.exe", run}, {"/c/palace32.exe", run}}
            << direct("/b/palace32.exe");
        QTest::newRow("bare name, only inert, through Wine")
            << bare << "/a:/w" << Files{{"/a/palace32.exe", inert}, {"/w/wine", run}}
            << wine("/w/wine", "/a/palace32.exe");
        QTest::newRow("bare name, not on the path")
            << bare << "/a:/b" << Files{{"palace32.exe", run}} << notFound;
        QTest::newRow("bare name, empty entries skipped")
            << bare << ":/a::" << Files{{"/palace32.exe", run}, {"palace32.exe", run}} << notFound;
        QTest::newRow("bare name, empty search path")
            << bare << "" << Files{{"palace32.exe", run}} << notFound;
        QTest::newRow("empty path") << ""
                                    << "/bin" << Files{{"/bin/", run}} << notFound;
    }
    void choose() {
        QFETCH(QString, path);
        QFETCH(QString, searchPath);
        QFETCH(Files, files);
        QFETCH(Command, expected);
        QStringList probed;
        const auto probe = [&](const QString& file) {
            probed.append(file);
            return files.value(file, FileKind::Missing);
        };
        const StepValue<Command> chosen = LaunchCommand::choose(
            path, {searchPath, {}, probe, [](const QString&) { return false; }, QDir::cleanPath});
        QVERIFY2(chosen.value == expected && bool(chosen) == (expected != notFound),
                 qPrintable(QStringLiteral("got kind %1, %2 %3 after probing %4: %5")
                                .arg(chosen.value.kind)
                                .arg(chosen.value.program, chosen.value.arguments.join(' '),
                                     probed.join(QStringLiteral(", ")), chosen.result.reason)));
    }

    // A client run through Wine gets the prefix that holds it. Prefixes here: /home/u/.wine,
    // /home/u/.wine-palace, /p and /p/drive_c/q; $WINEPREFIX is "" when not set.
    void winePrefix_data() {
        QTest::addColumn<QStringList>("clientSetPrefix");
        QTest::newRow("its own") << QStringList{"/home/u/.wine-palace/drive_c/P//palace32.exe", "",
                                                "/home/u/.wine-palace"};
        QTest::newRow("the nearest, not one set elsewhere")
            << QStringList{"/p/drive_c/q/drive_c/palace32.exe", "/home/u/.wine", "/p/drive_c/q"};
        QTest::newRow("its own, beside the one set, a name that begins alike") << QStringList{
            "/home/u/.wine-palace/drive_c/palace32.exe", "/home/u/.wine", "/home/u/.wine-palace"};
        QTest::newRow("the one set, holding it")
            << QStringList{"/p/drive_c/q/drive_c/palace32.exe", "/p/", "/p/"};
        QTest::newRow("the one set, written with ..")
            << QStringList{"/p/drive_c/q/drive_c/palace32.exe", "/home/u/../../p", "/home/u/../../p"};
    }
    void winePrefix() {
        QFETCH(QStringList, clientSetPrefix);
        const QString client = clientSetPrefix[0];
        const QStringList prefixes{"/home/u/.wine", "/home/u/.wine-palace", "/p", "/p/drive_c/q"};
        const StepValue<Command> chosen = LaunchCommand::choose(
            client,
            {"/w", clientSetPrefix[1], [&](const QString& file) { return file == client ? inert : run; },
             [&](const QString& directory) { return prefixes.contains(directory); }, QDir::cleanPath});
        QCOMPARE(chosen.value.environment, QStringList{"WINEPREFIX=" + clientSetPrefix[2]});
    }
};

QTEST_GUILESS_MAIN(LaunchCommandTest)
#include "tst_launchcommand.moc"
