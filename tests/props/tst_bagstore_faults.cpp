#include "props/BagStore.h"
#include "support/FaultyFileSystem.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

using Call = FaultyFileSystem::Call;
using Effect = FaultyFileSystem::Effect;
using Fault = FaultyFileSystem::Fault;

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
} // namespace

class BagStoreFaultsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    int faultsInjected = 0;

    QString path(const QString& name) const { return dir.filePath(name); }
    QByteArray at(const QString& name) const { return QFile::encodeName(path(name)); }
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
        QVERIFY(BagStore(dry).copyFile(at("source.prp"), at("palace.prp")).ok);
        QVERIFY(dry.trace.size() >= 10);

        QHash<Call, int> seen;
        for (const FaultyFileSystem::Step& step : std::as_const(dry.trace)) {
            const int occurrence = ++seen[step.call];
            for (const Case& c : casesFor(step, occurrence, dry.createdFd)) {
                prepare(where);
                const int descriptors = openDescriptors();
                FaultyFileSystem fs;
                fs.rangeCopyUnsupported = rangeCopyUnsupported;
                fs.fault = c.fault;
                const StepResult result = BagStore(fs).copyFile(at("source.prp"), at("palace.prp"));
                ++faultsInjected;

                const QString what = describe(c.fault);
                QVERIFY2(fs.faultHit, qPrintable(what));
                QVERIFY2(result.ok == c.succeeds, qPrintable(what + QStringLiteral(": ") + result.reason));
                if (!c.succeeds)
                    QCOMPARE(result.reason, QString::fromLocal8Bit(strerror(c.fault.error)));
                // After the rename only the sync of the folder is left: the new copy is in place.
                const bool replaced = c.succeeds || step.afterRename;
                QVERIFY2(readFile(path("palace.prp")) == (replaced ? newBytes : before), qPrintable(what));
                QVERIFY2(readFile(path("source.prp")) == newBytes, qPrintable(what));
                QVERIFY2(leftovers().isEmpty(),
                         qPrintable(what + QStringLiteral(": ") + leftovers().join(' ')));
                QVERIFY2(openDescriptors() == descriptors, qPrintable(what));
                if (where == Destination::Linked)
                    QVERIFY2(QFileInfo(path("palace.prp")).isSymLink(), qPrintable(what));
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
            writeFile(path("a.prp"), "a");
            QFile::remove(path("b.prp"));
            return rename ? BagStore(fs).renameFile(at("a.prp"), at("b.prp"))
                          : BagStore(fs).deleteFile(at("a.prp"));
        };
        FaultyFileSystem dry;
        QVERIFY(run(dry).ok);

        QHash<Call, int> seen;
        for (const FaultyFileSystem::Step& step : std::as_const(dry.trace)) {
            const Fault fault{step.call, ++seen[step.call], Effect::Fail, EIO};
            FaultyFileSystem fs;
            fs.fault = fault;
            const StepResult result = run(fs);
            ++faultsInjected;
            const bool harmless = step.call == Call::Close;
            QVERIFY2(result.ok == harmless, qPrintable(describe(fault)));
            // The step is done once the call itself went through; a failed sync after it is still reported.
            const bool done = harmless || step.afterRename || (step.call == Call::Fsync);
            QCOMPARE(QFileInfo::exists(path("a.prp")), !done);
            QCOMPARE(QFileInfo::exists(path("b.prp")), done && rename);
        }
    }

    void listingAndCleanUpSurviveFaults() {
        QVERIFY(QDir(dir.path()).removeRecursively());
        QVERIFY(QDir().mkpath(dir.path()));
        for (const char* name : {"a.prp", "b.prp", ".stowbox-AAAAAA.tmp", ".stowbox-BBBBBB.tmp"})
            writeFile(path(QLatin1String(name)), "x");
        FaultyFileSystem dry;
        QCOMPARE(BagStore(dry).listBags(dir.path()).names.texts(), QStringList({"a.prp", "b.prp"}));

        QHash<Call, int> seen;
        for (const FaultyFileSystem::Step& step : std::as_const(dry.trace)) {
            FaultyFileSystem fs;
            fs.fault = Fault{step.call, ++seen[step.call], Effect::Fail, EIO};
            const QStringList listed = BagStore(fs).listBags(dir.path()).names.texts();
            ++faultsInjected;
            QVERIFY(listed.size() <= 2);
            for (const QString& name : listed)
                QVERIFY(name == QLatin1String("a.prp") || name == QLatin1String("b.prp"));
        }

        // One leftover that cannot be removed does not keep the others.
        FaultyFileSystem fs;
        fs.fault = Fault{Call::Unlinkat, 1, Effect::Fail, EIO};
        BagStore(fs).removeLeftoverTemporaries(dir.path());
        ++faultsInjected;
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
        FaultyFileSystem clean;
        BagStore(clean).removeLeftoverTemporaries(dir.path());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"a.prp", "b.prp"}));
    }

    void cleanupTestCase() { qInfo("faults injected: %d", faultsInjected); }
};

QTEST_GUILESS_MAIN(BagStoreFaultsTest)
#include "tst_bagstore_faults.moc"
