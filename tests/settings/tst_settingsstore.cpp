#include "settings/IniFileSettingsStore.h"
#include "support/ChildProcess.h"
#include "support/FaultyFileSystem.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString app = PalacePathSetting::application;
const QString section = PalacePathSetting::section;
const QString key = PalacePathSetting::key;
constexpr uid_t nobody = 65534;

int openDescriptors() {
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::System).size());
}
} // namespace

class SettingsStoreTest : public QObject {
    Q_OBJECT

    QTemporaryDir home;
    QString configDir;
    int caseNumber = 0;
    PosixFileSystem fs;
    IniFileSettingsStore store{fs};

    QString file() const { return configDir + QStringLiteral("/Stowbox.conf"); }
    StepValue<QString> readStored() { return store.readSetting(app, section, key); }
    QString read() { return readStored().value; }
    StepResult save(const QString& value) { return store.saveSetting(app, section, key, value); }
    QStringList corruptCopies() const {
        return QDir(configDir).entryList({QStringLiteral("Stowbox.conf.corrupt-*")},
                                         QDir::Files | QDir::Hidden);
    }
    QStringList configEntries() const {
        return QDir(configDir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private slots:
    void initTestCase() {
        QVERIFY(home.isValid());
        // Each case gets a config folder of its own that does not exist yet; the real one is never seen.
        QVERIFY(!qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"));
        // The file any Qt program uses for these settings.
        QCOMPARE(IniFileSettingsStore::fileOf(app),
                 QSettings(QSettings::NativeFormat, QSettings::UserScope, app).fileName());
    }

    void init() {
        configDir = home.filePath(QStringLiteral("config-%1").arg(++caseNumber));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configDir));
        QCOMPARE(IniFileSettingsStore::fileOf(app), file());
    }

    void roundTrip_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("windows directory") << QStringLiteral("C:\\Palace\\");
        QTest::newRow("doubled trailing backslash") << QStringLiteral("C:\\Palace\\\\");
        QTest::newRow("linux directory") << QStringLiteral("/home/me/.wine/drive_c/Palace/");
        QTest::newRow("doubled trailing slash") << QStringLiteral("/palace//");
        QTest::newRow("leading and trailing spaces") << QStringLiteral("  /palace dir/  ");
        QTest::newRow("ini punctuation") << QStringLiteral("a=b;c#d[e]\"f\",g");
        QTest::newRow("leading semicolon") << QStringLiteral(";not a comment");
        QTest::newRow("leading hash") << QStringLiteral("#not a comment");
        QTest::newRow("leading at sign") << QStringLiteral("@Variant(x)");
        QTest::newRow("control characters") << QStringLiteral("tab\there\nline\rreturn");
        QTest::newRow("non-ascii") << QStringLiteral("/home/jürgen/パレス/€/");
        QTest::newRow("empty") << QString();
        QTest::newRow("long") << QString(5000, QLatin1Char('p'));
        QTest::newRow("nul before a hex digit") << QString::fromUtf16(u"a\0"
                                                                      "1\x01"
                                                                      "f",
                                                                      5);
        QTest::newRow("outside the basic plane") << QString::fromUtf8("/\xf0\x9f\x8e\xaa/");
        QTest::newRow("delete character") << QStringLiteral("/a\x7f"
                                                            "b/");
        QTest::newRow("leading zero width no-break space") << QStringLiteral("\ufeff/palace/");
    }

    void roundTrip() {
        QFETCH(QString, value);
        QVERIFY(save(value));
        QCOMPARE(read(), value);
        QCOMPARE(IniFileSettingsStore(fs).readSetting(app, section, key).value, value);
        // Written in Qt's own dialect, so any Qt program (and any later version of this one) reads it.
        QCOMPARE(
            QSettings(file(), QSettings::IniFormat).value(section + QStringLiteral("/") + key).toString(),
            value);
        QVERIFY(corruptCopies().isEmpty());
        // What it wrote, it takes for sound the next time.
        QVERIFY(save(value));
        QCOMPARE(read(), value);
        QVERIFY(corruptCopies().isEmpty());
    }

    // What is read from a file another program wrote: the value as QSettings reads it, or, where Qt's
    // notation holds a value of another type or one cut short, a store that cannot be read, never an
    // empty value.
    void readsWhatQtReads_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("read");
        QTest::addColumn<bool>("readable");
        QTest::newRow("a string in a variant")
            << QByteArray("@Variant(\\0\\0\\0\\n\\0\\0\\0\\x6\\0/\\0x\\0/)") << QStringLiteral("/x/") << true;
        QTest::newRow("a string in a date's variant")
            << QByteArray("@DateTime(\\0\\0\\0\\n\\0\\0\\0\\0\\x6\\0/\\0x\\0/)") << QStringLiteral("/x/")
            << true;
        QTest::newRow("a number in a variant")
            << QByteArray("@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)") << QString() << false;
        QTest::newRow("a string cut short")
            << QByteArray("@Variant(\\0\\0\\0\\n\\0\\0\\0\\x6\\0/)") << QString() << false;
        QTest::newRow("a rectangle") << QByteArray("@Rect(1 2 3 4)") << QString() << false;
        QTest::newRow("a list") << QByteArray("/a/, /b/") << QString() << false;
    }
    void readsWhatQtReads() {
        QFETCH(QByteArray, value);
        QFETCH(QString, read);
        QFETCH(bool, readable);
        QVERIFY(QDir().mkpath(configDir));
        writeFile(file(), "[Spath]\nPathkey=" + value + "\n");
        const StepValue<QString> stored = readStored();
        QCOMPARE(stored.result.ok(), readable);
        QCOMPARE(stored.value, read);
        if (readable)
            QCOMPARE(
                QSettings(file(), QSettings::IniFormat).value(section + QStringLiteral("/") + key).toString(),
                read);
        else
            QCOMPARE(stored.result.file, QFile::encodeName(file()));
    }

    // A relative XDG_CONFIG_HOME is ignored, as it is where it is unset or empty: it would be taken from
    // whatever directory the program was started in.
    void fileFollowsTheConfigHome_data() {
        QTest::addColumn<QByteArray>("configHome");
        QTest::newRow("relative") << QByteArray("my-config");
        QTest::newRow("the working directory") << QByteArray(".");
    }
    void fileFollowsTheConfigHome() {
        QFETCH(QByteArray, configHome);
        const QString ownHome = home.filePath(QStringLiteral("home-%1").arg(caseNumber));
        const QByteArray realHome = qgetenv("HOME");
        const auto restore = qScopeGuard([&] { qputenv("HOME", realHome); });
        qputenv("HOME", QFile::encodeName(ownHome));
        qputenv("XDG_CONFIG_HOME", configHome);
        const QString expected = ownHome + QStringLiteral("/.config/Stowbox.conf");
        QCOMPARE(IniFileSettingsStore::fileOf(app), expected);
        QVERIFY(save(QStringLiteral("/new/")));
        QCOMPARE(readFile(expected), QByteArray("[Spath]\nPathkey=/new/\n"));
    }

    void aLinkThatWorksIsWrittenThrough() {
        QVERIFY(QDir().mkpath(configDir) && QDir().mkpath(home.filePath(QStringLiteral("kept"))));
        writeFile(home.filePath(QStringLiteral("kept/Stowbox.conf")), "[Spath]\nPathkey=/old/\n");
        QVERIFY(QFile::link(QStringLiteral("../kept/Stowbox.conf"), file()));
        QCOMPARE(read(), QStringLiteral("/old/"));
        QVERIFY(save(QStringLiteral("/new/")));
        QCOMPARE(readFile(home.filePath(QStringLiteral("kept/Stowbox.conf"))), "[Spath]\nPathkey=/new/\n");
        QCOMPARE(QFileInfo(file()).symLinkTarget(), home.filePath(QStringLiteral("kept/Stowbox.conf")));
    }

    // Every other line as it was, comments and spacing too, and every other key as QSettings reads it.
    void replacingKeepsOtherEntries_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QVariantMap>("others");
        QTest::newRow("comments and spacing")
            << QByteArray("; mine\n[General]\nother = 1 ; why\n\n[Spath]\nPathkey=/old/\n\n[More]\nx=y\n")
            << QByteArray("; mine\n[General]\nother = 1 ; why\n\n[Spath]\nPathkey=/new/\n\n[More]\nx=y\n")
            << QVariantMap{{"other", "1"}, {"More/x", "y"}};
        QTest::newRow("a comment after the heading")
            << QByteArray("[Spath] ; the client's\nother=1\n")
            << QByteArray("[Spath] ; the client's\nPathkey=/new/\nother=1\n")
            << QVariantMap{{"Spath/other", "1"}};
        QTest::newRow("a byte order mark") << QByteArray("\xef\xbb\xbf[Spath]\nPathkey=/old/\n[More]\nx=y\n")
                                           << QByteArray("\xef\xbb\xbf[Spath]\nPathkey=/new/\n[More]\nx=y\n")
                                           << QVariantMap{{"More/x", "y"}};
    }
    void replacingKeepsOtherEntries() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QVariantMap, others);
        QVERIFY(QDir().mkpath(configDir));
        writeFile(file(), before);
        QVERIFY(save(QStringLiteral("/new/")));
        QCOMPARE(read(), QStringLiteral("/new/"));
        QCOMPARE(readFile(file()), after);
        QSettings settings(file(), QSettings::IniFormat);
        QVariantMap read;
        for (const QString& other : settings.allKeys())
            if (other != section + QStringLiteral("/") + key)
                read.insert(other, settings.value(other));
        QCOMPARE(read, others);
        QVERIFY(corruptCopies().isEmpty());
    }

    void neverStoredReadsEmptyAndCreatesNothing() {
        QCOMPARE(read(), QString());
        QVERIFY(!QFileInfo::exists(configDir));

        QVERIFY(QDir().mkpath(configDir));
        writeFile(configDir + QStringLiteral("/Other.conf"), "[Spath]\nPathkey=/not/ours/\n");
        QCOMPARE(read(), QString());
        QCOMPARE(configEntries(), QStringList({QStringLiteral("Other.conf")}));

        writeFile(file(), "[Elsewhere]\nPathkey=/wrong/section/\n[Spath]\nOther=/wrong/key/\n");
        QCOMPARE(read(), QString());
        QCOMPARE(configEntries(),
                 QStringList({QStringLiteral("Other.conf"), QStringLiteral("Stowbox.conf")}));
    }

    // QSettings keeps a parsed copy of each file per process and trusts it while the size and the
    // modification time (in milliseconds) look unchanged; another running copy of the program can
    // write a value of the same length within the same millisecond.
    void readsWhatAnotherCopyWroteJustNow() {
        QVERIFY(QDir().mkpath(configDir));
        for (int round = 0; round < 60; ++round) {
            const QString value = QStringLiteral("/palace/%1/").arg(round % 10);
            writeFile(file(), "[Spath]\nPathkey=" + value.toUtf8() + "\n");
            QCOMPARE(read(), value);
            if (round % 3 == 0) {
                QVERIFY(save(QStringLiteral("/palace/x/")));
                QCOMPARE(read(), QStringLiteral("/palace/x/"));
            }
        }
    }

    void unwritableStoreReportsFailure() {
        QVERIFY(QDir().mkpath(configDir));
        QVERIFY(save(QStringLiteral("/old/")));
        const QByteArray before = readFile(file());
        const int status = ChildProcess::runWithReadOnlyDirectory(configDir, [this] {
            return !save(QStringLiteral("/new/")) && read() == QStringLiteral("/old/") ? 0 : 1;
        });
        if (status == ChildProcess::setupFailed)
            QSKIP(qPrintable(ChildProcess::skipReason()));
        QCOMPARE(status, 0);
        QCOMPARE(readFile(file()), before);
        QCOMPARE(configEntries(), QStringList({QStringLiteral("Stowbox.conf")}));
    }

    void missingConfigFolderThatCannotBeCreated() {
        const int status = ChildProcess::runWithReadOnlyDirectory(
            home.path(), [this] { return !save(QStringLiteral("/new/")) && read().isEmpty() ? 0 : 1; });
        if (status == ChildProcess::setupFailed)
            QSKIP(qPrintable(ChildProcess::skipReason()));
        QCOMPARE(status, 0);
        QVERIFY(!QFileInfo::exists(configDir));
    }

    void corruptFileIsKeptBeforeItIsReplaced_data() {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray garbage(4096, '\0');
        QRandomGenerator random(1234);
        for (char& byte : garbage)
            byte = char(random.bounded(256));
        QTest::newRow("binary garbage") << garbage;
        QTest::newRow("huge line") << QByteArray(8 << 20, 'x') + "\n[Spath]\nPathkey=/kept/\n";
        QTest::newRow("invalid utf-8") << QByteArray("[Spath]\nPathkey=/pal\xff\xfe"
                                                     "ace/\n");
        QTest::newRow("nul byte") << QByteArray("[Spath]\nPathkey=/a\0b/\n", 21);
        QTest::newRow("unclosed section") << QByteArray("[Spath\nPathkey=/x/\n");
        QTest::newRow("unbalanced quote") << QByteArray("[Spath]\nPathkey=\"/x/\n[Other]\nk=v\n");
        QTest::newRow("line without equals") << QByteArray("[Spath]\nPathkey /x/\nother=1\n");
        QTest::newRow("escaped line end") << QByteArray("[Spath]\nPathkey=/x/\\\nother=1\n");
    }

    void corruptFileIsKeptBeforeItIsReplaced() {
        QFETCH(QByteArray, bytes);
        QVERIFY(QDir().mkpath(configDir));
        writeFile(file(), bytes);

        read(); // whatever it finds, it must come back
        QCOMPARE(readFile(file()), bytes);
        QVERIFY(corruptCopies().isEmpty());

        QVERIFY(save(QStringLiteral("/new/")));
        QCOMPARE(read(), QStringLiteral("/new/"));
        const QStringList copies = corruptCopies();
        QCOMPARE(copies.size(), 1);
        QCOMPARE(readFile(configDir + QLatin1Char('/') + copies.first()), bytes);

        QVERIFY(save(QStringLiteral("/newer/")));
        QCOMPARE(read(), QStringLiteral("/newer/"));
        QCOMPARE(corruptCopies(), copies);
    }

    void corruptCopiesNeverOverwriteEachOther() {
        QVERIFY(QDir().mkpath(configDir));
        for (int round = 0; round < 3; ++round) {
            const QByteArray bytes = "garbage " + QByteArray::number(round);
            writeFile(file(), bytes);
            QVERIFY(save(QStringLiteral("/new/")));
            QCOMPARE(corruptCopies().size(), round + 1);
        }
        QStringList kept;
        for (const QString& copy : corruptCopies())
            kept.append(QString::fromUtf8(readFile(configDir + QLatin1Char('/') + copy)));
        kept.sort();
        QCOMPARE(kept, QStringList({"garbage 0", "garbage 1", "garbage 2"}));
    }

    // What cannot be read is a failure of the store, not a value never stored, and it is not overwritten.
    // Nothing in the file's place blocks the reader or fills its memory.
    void storeThatIsNoFileIsLeftAlone_data() {
        QTest::addColumn<mode_t>("type");
        QTest::addColumn<int>("error");
        QTest::addColumn<QByteArray>("target"); // of a link
        QTest::newRow("a folder") << mode_t(S_IFDIR) << EISDIR << QByteArray();
        QTest::newRow("a pipe with no writer") << mode_t(S_IFIFO) << EINVAL << QByteArray();
        QTest::newRow("a link to a device without end")
            << mode_t(S_IFLNK) << EINVAL << QByteArray("/dev/zero");
        QTest::newRow("a link into a folder that is gone")
            << mode_t(S_IFLNK) << ENOENT << QByteArray("../gone/Stowbox.conf");
    }
    void storeThatIsNoFileIsLeftAlone() {
        QFETCH(mode_t, type);
        QFETCH(int, error);
        QFETCH(QByteArray, target);
        QVERIFY(QDir().mkpath(file()));
        const QByteArray path = QFile::encodeName(file());
        if (type != S_IFDIR)
            QVERIFY(rmdir(path) == 0 && (type == S_IFIFO ? mkfifo(path, 0600) : symlink(target, path)) == 0);
        const QString reason = QString::fromLocal8Bit(std::strerror(error));
        const StepValue<QString> stored = readStored();
        QCOMPARE(stored.result.reason, reason);
        QCOMPARE(stored.value, QString());
        QCOMPARE(save(QStringLiteral("/new/")).reason, reason);
        struct stat status {};
        QVERIFY(lstat(path, &status) == 0 && (status.st_mode & S_IFMT) == type);
        QVERIFY(corruptCopies().isEmpty());
    }

    // A file that cannot be read cannot be copied aside, so it is not replaced either.
    void unreadableFileIsNeverOverwritten() {
        QVERIFY(QDir().mkpath(configDir));
        writeFile(file(), "[Spath]\nPathkey=/secret/\n");
        QVERIFY(QFile::setPermissions(file(), QFileDevice::WriteOwner | QFileDevice::WriteUser));
        const auto check = [this] { return !readStored().result && !save(QStringLiteral("/new/")) ? 0 : 1; };
        int status = 0;
        if (geteuid() == 0) {
            // Root reads anything: look through the eyes of an ordinary user, who may write the file.
            QVERIFY(QFile::setPermissions(file(), QFileDevice::WriteOwner | QFileDevice::WriteOther));
            chmod(QFile::encodeName(home.path()).constData(), 0755);
            chmod(QFile::encodeName(configDir).constData(), 0777);
            status =
                ChildProcess::run([&] { return setgid(nobody) == 0 && setuid(nobody) == 0 ? check() : 2; });
        } else {
            status = check();
        }
        QCOMPARE(status, 0);
        QVERIFY(QFile::setPermissions(file(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(readFile(file()), QByteArray("[Spath]\nPathkey=/secret/\n"));
        QVERIFY(corruptCopies().isEmpty());
    }

    // Each call of a save made to fail in turn: the save gives the call's reason, the file holds its old
    // bytes (the new ones once the last rename is done), a corrupt file's copy is whole or absent, and
    // nothing is left behind. Only closing what was read may fail unnoticed.
    void saveUnderEveryFault_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::newRow("a sound file") << QByteArray("; kept\n[Spath]\nPathkey=/old/\n");
        QTest::newRow("a corrupt file") << QByteArray("[Spath\nPathkey=/old/\n");
    }
    void saveUnderEveryFault() {
        using Call = FaultyFileSystem::Call;
        QFETCH(QByteArray, before);
        const auto run = [&](FaultyFileSystem& faulty) {
            QDir(configDir).removeRecursively();
            QDir().mkpath(configDir);
            writeFile(file(), before);
            return IniFileSettingsStore(faulty).saveSetting(app, section, key, QStringLiteral("/new/"));
        };
        FaultyFileSystem dry;
        QVERIFY(run(dry));
        const QByteArray after = readFile(file());
        qsizetype lastRename = dry.trace.size();
        while (lastRename > 0 && dry.trace[--lastRename].call != Call::Renameat) {
        }
        QHash<Call, int> seen;
        for (qsizetype i = 0; i < dry.trace.size(); ++i) {
            const Call call = dry.trace[i].call;
            const int occurrence = ++seen[call];
            for (const int error : call == Call::Write ? QList<int>{EIO, ENOSPC} : QList<int>{EIO}) {
                FaultyFileSystem faulty;
                faulty.fault = {call, occurrence, FaultyFileSystem::Effect::Fail, error};
                const int descriptors = openDescriptors();
                const StepResult result = run(faulty);
                const QString what = QString::fromLatin1(FaultyFileSystem::nameOf(call)) + " #" +
                                     QString::number(occurrence) + ": " + result.reason + " " +
                                     configEntries().join(' ');
                QVERIFY2(faulty.faultHit && openDescriptors() == descriptors, qPrintable(what));
                QVERIFY2(result.ok() ? call == Call::Close
                                     : result.reason == QString::fromLocal8Bit(std::strerror(error)),
                         qPrintable(what));
                QVERIFY2(readFile(file()) == (result.ok() || i > lastRename ? after : before),
                         qPrintable(what));
                QVERIFY2(corruptCopies().size() <= 1 && configEntries().size() == 1 + corruptCopies().size(),
                         qPrintable(what));
                for (const QString& copy : corruptCopies())
                    QVERIFY2(readFile(configDir + QLatin1Char('/') + copy) == before, qPrintable(what));
            }
        }
    }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "tst_settingsstore.moc"
