#include "props/BagStore.h"
#include "settings/IniFileSettingsStore.h"
#include "support/FaultyFileSystem.h"
#include "support/FileBytes.h"
#include "support/ShownNames.h"
#include "support/TrashedSteps.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Call = FaultyFileSystem::Call;
using Effect = FaultyFileSystem::Effect;
using Fault = FaultyFileSystem::Fault;
using Replace = std::function<StepResult(FileSystem&)>;

namespace {
const QByteArray oldBytes = "old props";

QByteArray pattern(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 13 + i / 509) & 0xff);
    return bytes;
}

// Big enough for several reads and writes of the fallback copy and several chunks of copy_file_range.
const QByteArray newBytes = pattern(1300 * 1024 + 17);

int openDescriptors() {
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::System).size());
}

QString describe(const Fault& fault) {
    static const char* const effects[] = {"fails", "is interrupted", "is interrupted for ever",
                                          "comes up short"};
    const QString call = QStringLiteral("%1 #%2 %3")
                             .arg(QLatin1String(FaultyFileSystem::nameOf(fault.call)))
                             .arg(fault.occurrence)
                             .arg(QLatin1String(effects[int(fault.effect)]));
    if (fault.effect != Effect::Fail)
        return call;
    return call + QStringLiteral(" with ") + QString::fromLocal8Bit(strerror(fault.error));
}

// Every way in which the call of a step can go wrong, and whether the operation still succeeds.
struct Case {
    Fault fault;
    bool succeeds;
};

QList<Case> casesFor(const FaultyFileSystem::Step& step, int occurrence, int createdFd) {
    const Call call = step.call;
    QList<Case> cases;
    // Closing a descriptor that was only read from loses nothing, whatever close says.
    const bool harmless = call == Call::Close && step.fd != createdFd;
    cases.append({{call, occurrence, Effect::Fail, EIO}, harmless});
    if (call == Call::Write)
        cases.append({{call, occurrence, Effect::Fail, ENOSPC}, false});
    if (call == Call::Open || call == Call::Openat || call == Call::Read || call == Call::Write ||
        call == Call::CopyFileRange) {
        cases.append({{call, occurrence, Effect::Interrupt, EINTR}, true});
        cases.append({{call, occurrence, Effect::InterruptAlways, EINTR}, false});
    }
    if (call == Call::Read || call == Call::Write || call == Call::CopyFileRange)
        cases.append({{call, occurrence, Effect::Short, 0}, true});
    if (call == Call::CopyFileRange) {
        // Where the kernel cannot copy between these files, plain reads and writes take over.
        cases.append({{call, occurrence, Effect::Fail, EXDEV}, true});
        cases.append({{call, occurrence, Effect::Fail, ENOSYS}, true});
    }
    return cases;
}

// The steps that must reach the disk, in the order made; a run of writes or copies counts once.
QString durableSteps(const QList<FaultyFileSystem::Step>& trace) {
    QStringList steps;
    for (const FaultyFileSystem::Step& step : trace) {
        const bool data = step.call == Call::Write || step.call == Call::CopyFileRange;
        if (data && !steps.isEmpty() && steps.last() == QLatin1String("write"))
            continue;
        if (data || step.call == Call::Fsync || step.call == Call::Linkat || step.call == Call::Renameat ||
            step.call == Call::Unlinkat)
            steps.append(data ? QStringLiteral("write") : QLatin1String(FaultyFileSystem::nameOf(step.call)));
    }
    return steps.join(' ');
}
} // namespace

class BagStoreFaultsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    int faultsInjected = 0;

    QString path(const QString& name) const { return dir.filePath(name); }
    TrashOwner trash() const { return {QFile::encodeName(path("Trash")), getuid()}; }
    // No entry is half made: an info for each file, a file for each info, each holding the kept bytes.
    bool trashIsWhole(const QByteArray& kept) const {
        QStringList infos = QDir(path("Trash/info")).entryList(QDir::Files | QDir::Hidden);
        for (QString& name : infos)
            name.chop(int(strlen(".trashinfo")));
        const QStringList files = QDir(path("Trash/files")).entryList(QDir::Files | QDir::Hidden);
        return infos == files && std::all_of(files.begin(), files.end(), [&](const QString& name) {
                   return readFile(path("Trash/files/" + name)) == kept;
               });
    }
    int entriesIn(const QString& folder) const {
        return int(QDir(path(folder)).entryList(QDir::Files | QDir::Hidden | QDir::System).size());
    }
    FilePlace at(const QString& name) const { return FilePlace::split(path(name)); }
    BagNames bagsIn(FileSystem& fs) const {
        FileSteps steps(fs);
        return BagStore(fs, steps, QFile::encodeName(dir.path())).list().value;
    }
    QStringList leftovers() const {
        QStringList found;
        for (const QString& folder : {dir.path(), path("real")})
            for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
                if (name.startsWith(QLatin1String(".stowbox-")))
                    found.append(name);
        return found;
    }

    enum class Destination { New, Existing, Linked };

    void prepare(Destination destination) {
        QVERIFY(QDir(dir.path()).removeRecursively());
        QVERIFY(QDir().mkpath(path("real")));
        writeFile(path("source.prp"), newBytes);
        if (destination == Destination::Existing)
            writeFile(path("palace.prp"), oldBytes);
        if (destination == Destination::Linked) {
            writeFile(path("real/palace.prp"), oldBytes);
            QCOMPARE(symlink("real/palace.prp", QFile::encodeName(path("palace.prp")).constData()), 0);
        }
    }

private slots:
    void copyUnderEveryFault_data() {
        QTest::addColumn<int>("destination");
        QTest::addColumn<bool>("rangeCopyUnsupported");
        for (const bool fallback : {false, true}) {
            const char* how = fallback ? "read and write" : "copy_file_range";
            QTest::addRow("new file, %s", how) << int(Destination::New) << fallback;
            QTest::addRow("existing file, %s", how) << int(Destination::Existing) << fallback;
            QTest::addRow("linked file, %s", how) << int(Destination::Linked) << fallback;
        }
    }

    void copyUnderEveryFault() {
        QFETCH(int, destination);
        QFETCH(bool, rangeCopyUnsupported);
        const auto where = Destination(destination);
        const QByteArray before = where == Destination::New ? QByteArray("<unreadable>") : oldBytes;

        prepare(where);
        FaultyFileSystem dry;
        dry.rangeCopyUnsupported = rangeCopyUnsupported;
        QVERIFY(TrashedSteps(dry, trash()).steps.copy(at("source.prp"), at("palace.prp")).ok());
        QVERIFY(dry.trace.size() >= 10);
        // The replaced file is kept in the trash, its info synced first, before the rename.
        const QString keeping = where == Destination::New ? "" : "write fsync fsync linkat fsync ";
        QCOMPARE(durableSteps(dry.trace), "write fsync " + keeping + "renameat fsync");

        QHash<Call, int> seen;
        bool locked = false;
        for (const FaultyFileSystem::Step& step : std::as_const(dry.trace)) {
            const int occurrence = ++seen[step.call];
            // From the directory's lock to the rename every step is the trash's: the copy either keeps the
            // old file or fails with nothing changed.
            const bool inTrash =
                locked && where != Destination::New && step.call != Call::Renameat && !step.afterRename;
            locked = locked || (step.call == Call::Flock && step.fd != dry.createdFd);
            for (const Case& c : casesFor(step, occurrence, dry.createdFd)) {
                prepare(where);
                const int descriptors = openDescriptors();
                FaultyFileSystem fs;
                fs.rangeCopyUnsupported = rangeCopyUnsupported;
                fs.fault = c.fault;
                const StepResult result =
                    TrashedSteps(fs, trash()).steps.copy(at("source.prp"), at("palace.prp"));
                ++faultsInjected;

                const QString what = describe(c.fault);
                QVERIFY2(fs.faultHit, qPrintable(what));
                QVERIFY2(result.ok() == c.succeeds || inTrash,
                         qPrintable(what + QStringLiteral(": ") + result.reason));
                if (!result.ok())
                    QCOMPARE(result.reason, QString::fromLocal8Bit(strerror(c.fault.error)));
                // A failure after the rename says that the copy is in place, though maybe not yet safe.
                QCOMPARE(result.is(StepResult::Kind::NotDurable), !result.ok() && step.afterRename);
                // After the rename only the sync of the folder is left: the new copy is in place.
                const bool replaced = result.ok() || step.afterRename;
                QVERIFY2(entriesIn("Trash/files") == int(replaced && where != Destination::New),
                         qPrintable(what));
                QVERIFY2(readFile(path("palace.prp")) == (replaced ? newBytes : before), qPrintable(what));
                QVERIFY2(readFile(path("source.prp")) == newBytes, qPrintable(what));
                QVERIFY2(leftovers().isEmpty(),
                         qPrintable(what + QStringLiteral(": ") + leftovers().join(' ')));
                QVERIFY2(openDescriptors() == descriptors, qPrintable(what));
                if (where == Destination::Linked)
                    QVERIFY2(QFileInfo(path("palace.prp")).isSymLink(), qPrintable(what));
                QVERIFY2(trashIsWhole(oldBytes), qPrintable(what));
            }
        }
    }

    void deleteAndRenameUnderEveryFault_data() {
        QTest::addColumn<bool>("rename");
        QTest::newRow("delete") << false;
        QTest::newRow("rename") << true;
    }

    void deleteAndRenameUnderEveryFault() {
        QFETCH(bool, rename);
        const auto run = [&](FaultyFileSystem& fs) {
            QDir(path("Trash")).removeRecursively();
            writeFile(path("a.prp"), "a");
            writeFile(path("b.prp"), "b");
            TrashedSteps store(fs, trash());
            return rename ? store.steps.rename(at("a.prp"), "b.prp") : store.steps.remove(at("a.prp"));
        };
        FaultyFileSystem dry;
        QVERIFY(run(dry).ok());
        // The bag that goes, deleted or replaced, is in the trash, its info synced before the file went in.
        QCOMPARE(durableSteps(dry.trace), QStringLiteral("write fsync fsync linkat fsync ") +
                                              (rename ? "renameat fsync" : "unlinkat fsync"));
        const QByteArray kept = rename ? "b" : "a";
        QCOMPARE(readFile(path("Trash/files/" + kept + ".prp")), kept);

        qsizetype done = 0; // the rename or unlink, under the directory's lock, taken by the second and third
        while (dry.trace[done].call != (rename ? Call::Renameat : Call::Unlinkat))
            ++done;
        const qsizetype last = dry.trace.size() - 1; // the program directory's close, after its sync
        QHash<Call, int> seen;
        for (qsizetype i = 0; i <= last; ++i) {
            const Call call = dry.trace[i].call;
            const Fault fault{call, ++seen[call], Effect::Fail, EIO};
            FaultyFileSystem fs;
            fs.fault = fault;
            const StepResult result = run(fs);
            ++faultsInjected;
            // Opening and locking the directory, the step itself and the sync after it fail the operation;
            // the trash's steps in between either keep the bag or fail it with nothing changed.
            const bool inTrash = i > 2 && i < done;
            const bool harmless = i > done && i != last - 1;
            QVERIFY2(result.ok() == harmless || inTrash, qPrintable(describe(fault)));
            if (!result.ok())
                QCOMPARE(result.reason, QString::fromLocal8Bit(strerror(EIO)));
            // The step is done once the call itself went through; a failed sync after it is still reported.
            const bool gone = result.ok() || i == last - 1;
            QCOMPARE(result.is(StepResult::Kind::NotDurable), i == last - 1);
            QCOMPARE(QFileInfo::exists(path("a.prp")), !gone);
            QCOMPARE(readFile(path("b.prp")), QByteArray(gone && rename ? "a" : "b"));
            QVERIFY2(trashIsWhole(kept) && entriesIn("Trash/files") == int(gone),
                     qPrintable(describe(fault)));
        }
    }

    void listingAndCleanUpSurviveFaults() {
        QVERIFY(QDir(dir.path()).removeRecursively());
        QVERIFY(QDir().mkpath(dir.path()));
        for (const char* name : {"a.prp", "b.prp", ".stowbox-AAAAAA.tmp", ".stowbox-BBBBBB.tmp"})
            writeFile(path(QLatin1String(name)), "x");
        FaultyFileSystem dry;
        QCOMPARE(shownNames(bagsIn(dry)), QStringList({"a.prp", "b.prp"}));

        QHash<Call, int> seen;
        for (const FaultyFileSystem::Step& step : std::as_const(dry.trace)) {
            FaultyFileSystem fs;
            fs.fault = Fault{step.call, ++seen[step.call], Effect::Fail, EIO};
            const QStringList listed = shownNames(bagsIn(fs));
            ++faultsInjected;
            QVERIFY(listed.size() <= 2);
            for (const QString& name : listed)
                QVERIFY(name == QLatin1String("a.prp") || name == QLatin1String("b.prp"));
        }

        // One leftover that cannot be removed does not keep the others.
        FaultyFileSystem fs;
        fs.fault = Fault{Call::Unlinkat, 1, Effect::Fail, EIO};
        FileSteps(fs).removeLeftovers({QFile::encodeName(dir.path())});
        ++faultsInjected;
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
        FaultyFileSystem clean;
        FileSteps(clean).removeLeftovers({QFile::encodeName(dir.path())});
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"a.prp", "b.prp"}));
    }

    // A second copy of the program starts while this one copies: its clean-up, before any call of the copy,
    // leaves the temporary file alone.
    void cleanUpSparesARunningCopy() {
        prepare(Destination::Existing);
        FaultyFileSystem dry;
        QVERIFY(FileSteps(dry).copy(at("source.prp"), at("palace.prp")).ok());
        for (int step = 0; step < dry.trace.size(); ++step) {
            prepare(Destination::Existing);
            FaultyFileSystem fs;
            PosixFileSystem other;
            fs.beforeCall = [&, calls = 0](Call) mutable {
                if (calls++ == step)
                    TrashedSteps(other).steps.removeLeftovers({QFile::encodeName(dir.path())});
            };
            const StepResult result = FileSteps(fs).copy(at("source.prp"), at("palace.prp"));
            QVERIFY2(result.ok(), qPrintable(QString::number(step) + QStringLiteral(": ") + result.reason));
            QCOMPARE(readFile(path("palace.prp")), newBytes);
            QVERIFY(leftovers().isEmpty());
        }
    }

    // The file being read is rewritten with other bytes between the first and second chunk of each reading:
    // the source of a copy, or a file on its way to a trash on another disk (where no link can go).
    void copyOfChangingSource_data() {
        QTest::addColumn<int>("rewrites");
        QTest::addColumn<bool>("sameLength");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("how"); // of each change: "rewritten", "times put back", "linked"
        QTest::newRow("rewritten once: copied again, whole") << 1 << false << "copy"
                                                             << "rewritten";
        QTest::newRow("rewritten twice: destination kept") << 2 << false << "copy"
                                                           << "rewritten";
        QTest::newRow("rewritten once, same length: copied again, whole") << 1 << true << "copy"
                                                                          << "rewritten";
        QTest::newRow("rewritten twice, same length, its times put back: destination kept")
            << 2 << true << "copy"
            << "times put back";
        QTest::newRow("linked by another copy keeping it: no change") << 2 << false << "copy"
                                                                      << "linked";
        QTest::newRow("deleted bag rewritten on its way to the trash: kept") << 2 << false << "delete"
                                                                             << "rewritten";
        QTest::newRow("replaced palace.prp rewritten on its way to the trash: kept") << 3 << false << "keep"
                                                                                     << "rewritten";
    }

    void copyOfChangingSource() {
        QFETCH(int, rewrites);
        QFETCH(bool, sameLength);
        QFETCH(QString, operation);
        QFETCH(QString, how);
        prepare(Destination::Existing);
        QDir(path("Trash")).removeRecursively();
        const QString changing = path(operation == "copy" ? "source.prp" : "palace.prp");
        const auto version = [&](int n) {
            return QByteArray(1100 * 1024 + (sameLength ? 0 : n), char('a' + n));
        };
        if (sameLength)
            writeFile(path("source.prp"), QByteArray(version(0).size(), 'z'));
        const QByteArray unchanged = readFile(changing);
        FaultyFileSystem fs;
        if (operation != "copy")
            fs.fault = Fault{Call::Linkat, 1, Effect::Fail, EXDEV};
        int done = 0;
        fs.beforeCall = [&, chunk = 0](Call call) mutable {
            const bool opened = call == Call::Open || call == Call::Openat;
            chunk = opened ? 0 : chunk + int(call == Call::CopyFileRange || call == Call::Read);
            if (chunk != 2 || done >= rewrites)
                return;
            const QByteArray file = QFile::encodeName(changing);
            if (how == "linked") {
                QCOMPARE(link(file.constData(), (file + ".kept" + QByteArray::number(done++)).constData()),
                         0);
                return;
            }
            struct stat before {};
            QCOMPARE(stat(file.constData(), &before), 0);
            writeFile(changing, version(done++));
            // Written within the clock's tick, the file would show no change but its bytes.
            const timespec earlier[2] = {{before.st_mtim.tv_sec - 1, 0}, {before.st_mtim.tv_sec - 1, 0}};
            const timespec putBack[2] = {before.st_atim, before.st_mtim};
            QCOMPARE(utimensat(AT_FDCWD, file.constData(), how == "times put back" ? putBack : earlier, 0),
                     0);
        };
        TrashedSteps store(fs, trash());
        const StepResult result = operation == "delete"
                                      ? store.steps.remove(at("palace.prp"))
                                      : store.steps.copy(at("source.prp"), at("palace.prp"));
        const bool whole = rewrites == 1 || how == "linked";
        QCOMPARE(result.ok(), whole);
        QVERIFY(!result.is(StepResult::Kind::NotTrashable)); // not the trash's fault: nothing to ask
        QCOMPARE(readFile(path("palace.prp")), how == "linked"       ? unchanged
                                               : rewrites == 1       ? version(0)
                                               : operation == "copy" ? oldBytes
                                                                     : version(done - 1));
        QVERIFY(leftovers().isEmpty());
        QCOMPARE(entriesIn("Trash/files") + entriesIn("Trash/info"), result.ok() ? 2 : 0);
    }

    // What a kill cannot show: each replace makes its durable calls, in this order. A temporary file shows
    // as "~", bytes copied as "write".
    void durableStepsInOrder_data() {
        QTest::addColumn<Replace>("replace");
        QTest::addColumn<QStringList>("expected");
        const QByteArray bags = at("bags/").directory, palace = at("palace/").directory;
        const QString settings = path("config");
        const TrashOwner trash = this->trash();
        QTest::newRow("bag copy on save") << Replace([=](FileSystem& fs) {
            return FileSteps(fs).copy({palace, "palace.prp"}, {bags, "b.prp"});
        }) << QStringList{"write bags/~", "fsync bags/~", "renameat bags/b.prp", "fsync bags"};
        QTest::newRow("live file on load") << Replace([=](FileSystem& fs) {
            return FileSteps(fs).copy({bags, "a.prp"}, {palace, "palace.prp"});
        }) << QStringList{"write palace/~", "fsync palace/~", "renameat palace/palace.prp", "fsync palace"};
        QTest::newRow("delete") << Replace([=](FileSystem& fs) {
            return FileSteps(fs).remove({bags, "a.prp"});
        }) << QStringList{"unlinkat bags/a.prp", "fsync bags"};
        QTest::newRow("rename") << Replace([=](FileSystem& fs) {
            return FileSteps(fs).rename({bags, "a.prp"}, "b.prp");
        }) << QStringList{"renameat bags/b.prp", "fsync bags"};
        // The replaced file is in the trash, its info durable first, before the rename or unlink.
        QTest::newRow("load, keeping the old palace.prp")
            << Replace([=](FileSystem& fs) {
                   return TrashedSteps(fs, trash).steps.copy({bags, "a.prp"}, {palace, "palace.prp"});
               })
            << QStringList{"write palace/~",
                           "fsync palace/~",
                           "write Trash/info/palace.prp.trashinfo",
                           "fsync Trash/info/palace.prp.trashinfo",
                           "fsync Trash/info",
                           "linkat Trash/files/palace.prp",
                           "fsync Trash/files",
                           "renameat palace/palace.prp",
                           "fsync palace"};
        QTest::newRow("delete into the trash") << Replace([=](FileSystem& fs) {
            return TrashedSteps(fs, trash).steps.remove({bags, "a.prp"});
        })
                                               << QStringList{"write Trash/info/a.prp.trashinfo",
                                                              "fsync Trash/info/a.prp.trashinfo",
                                                              "fsync Trash/info",
                                                              "linkat Trash/files/a.prp",
                                                              "fsync Trash/files",
                                                              "unlinkat bags/a.prp",
                                                              "fsync bags"};
        QTest::newRow("settings file") << Replace([=](FileSystem& fs) {
            const QByteArray config = qgetenv("XDG_CONFIG_HOME");
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings));
            const StepResult saved =
                IniFileSettingsStore(fs).saveSetting("Stowbox", "Spath", "Pathkey", "/p/");
            qputenv("XDG_CONFIG_HOME", config);
            return saved;
        }) << QStringList{"write config/~", "fsync config/~", "renameat config/Stowbox.conf", "fsync config"};
    }

    void durableStepsInOrder() {
        QFETCH(Replace, replace);
        QFETCH(QStringList, expected);
        QVERIFY(QDir(dir.path()).removeRecursively());
        QVERIFY(QDir().mkpath(path("bags")) && QDir().mkpath(path("palace")) &&
                QDir().mkpath(path("config")));
        writeFile(path("bags/a.prp"), "bag");
        writeFile(path("palace/palace.prp"), oldBytes);
        FaultyFileSystem fs;
        QVERIFY(replace(fs).ok());

        const QRegularExpression temporary(QStringLiteral("\\.stowbox-\\w{6}\\.tmp$"));
        const QString root = QFileInfo(dir.path()).canonicalFilePath() + '/';
        QStringList made;
        qsizetype found = 0;
        for (const FaultyFileSystem::Step& step : std::as_const(fs.trace)) {
            const Call call = step.call == Call::CopyFileRange ? Call::Write : step.call;
            const QString what = QLatin1String(FaultyFileSystem::nameOf(call)) + ' ' +
                                 QFile::decodeName(step.path).remove(root).replace(temporary, "~");
            made.append(what);
            found += found < expected.size() && what == expected[found];
        }
        QVERIFY2(found == expected.size(),
                 qPrintable(expected.mid(found).join(", ") + " missing from: " + made.join(", ")));
    }

    void cleanupTestCase() { qInfo("faults injected: %d", faultsInjected); }
};

QTEST_GUILESS_MAIN(BagStoreFaultsTest)
#include "tst_bagstore_faults.moc"
