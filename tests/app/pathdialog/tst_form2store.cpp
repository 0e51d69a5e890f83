#include "app/pathdialog/Form2Texts.h"
#include "platform/files/PosixFileSystem.h"
#include "settings/IniFileSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// What a child learned from the real store after making its settings directory unwritable.
struct Outcome {
    int status = -1;   // 0: tried; 3: could not make the directory unwritable
    QStringList lines; // saved (0 or 1), location, reason
};

enum class Barrier { ReadOnlyMount, UnprivilegedUser };

// Runs the save in a child, so that the mount namespace or the changed user ends with it.
Outcome saveInChild(Barrier barrier, const QString& configDir) {
    int channel[2];
    if (pipe(channel) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        ::close(channel[0]);
        const QByteArray dir = QFile::encodeName(configDir);
        if (barrier == Barrier::ReadOnlyMount) {
            if (unshare(CLONE_NEWNS) != 0 ||
                mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                mount("stowbox-test", dir.constData(), "tmpfs", MS_RDONLY, nullptr) != 0)
                _exit(3);
        } else {
            const passwd* nobody = getpwnam("nobody");
            if (!nobody || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
                _exit(3);
        }
        PosixFileSystem fs;
        IniFileSettingsStore store(fs);
        const StepResult saved = store.saveSetting("Stowbox", "Spath", "Pathkey", "/somewhere/");
        const QByteArray report =
            (QString::number(saved.ok()) + '\n' + store.location("Stowbox") + '\n' + saved.reason).toUtf8();
        const bool written = write(channel[1], report.constData(), size_t(report.size())) == report.size();
        _exit(written ? 0 : 1);
    }
    ::close(channel[1]);
    Outcome outcome;
    QByteArray received;
    char buffer[512];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;)
        received.append(buffer, got);
    ::close(channel[0]);
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
        outcome.status = WEXITSTATUS(status);
    outcome.lines = QString::fromUtf8(received).split('\n');
    return outcome;
}

} // namespace

// The report the path dialog gives when Ok cannot store: the real store names its file and the reason.
class Form2StoreTest : public QObject {
    Q_OBJECT

private slots:
    void unwritableStoreIsExplained_data() {
        QTest::addColumn<int>("barrier");
        QTest::addColumn<int>("error");
        QTest::newRow("read-only mount") << int(Barrier::ReadOnlyMount) << EROFS;
        QTest::newRow("directory of another user") << int(Barrier::UnprivilegedUser) << EACCES;
    }

    void unwritableStoreIsExplained() {
        QFETCH(int, barrier);
        QFETCH(int, error);
        const QString configDir = qEnvironmentVariable("XDG_CONFIG_HOME");
        QVERIFY2(!configDir.isEmpty(), "run through ctest, which sets XDG_CONFIG_HOME");
        QFile::remove(configDir + "/Stowbox.conf");
        if (Barrier(barrier) == Barrier::UnprivilegedUser && geteuid() != 0)
            QSKIP("only root can run the child as another user");
        // The directory is root's and closed to others, so "nobody" cannot write it.
        QVERIFY(QFile::setPermissions(configDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                     QFile::ReadOther | QFile::ExeOther));

        const Outcome outcome = saveInChild(Barrier(barrier), configDir);

        if (outcome.status == 3)
            QSKIP(Barrier(barrier) == Barrier::ReadOnlyMount ? "no private mount namespace allowed here"
                                                             : "could not become \"nobody\"");
        QCOMPARE(outcome.status, 0);
        QCOMPARE(outcome.lines.size(), 3);
        QCOMPARE(outcome.lines[0], QStringLiteral("0"));
        QCOMPARE(outcome.lines[1], QDir::toNativeSeparators(configDir + "/Stowbox.conf"));
        QCOMPARE(outcome.lines[2], QString::fromLocal8Bit(std::strerror(error)));
        QVERIFY(!QFile::exists(configDir + "/Stowbox.conf"));

        const QString text = Form2Texts::storeErrorText(outcome.lines[1], outcome.lines[2]);
        QCOMPARE(text, "The Palace directory could not be stored.\rThe settings file " + configDir +
                           "/Stowbox.conf cannot be written: " + std::strerror(error) +
                           ".\rNothing was changed.");
    }

    // A writable store has nothing to explain.
    void writableStoreGivesNoReason() {
        PosixFileSystem fs;
        const StepResult saved =
            IniFileSettingsStore(fs).saveSetting("Stowbox", "Spath", "Pathkey", "/somewhere/");
        QVERIFY(saved);
        QCOMPARE(saved.reason, QString());
        QVERIFY(QFile::remove(qEnvironmentVariable("XDG_CONFIG_HOME") + "/Stowbox.conf"));
    }
};

QTEST_GUILESS_MAIN(Form2StoreTest)
#include "tst_form2store.moc"
