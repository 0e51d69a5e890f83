#include "client/StandIn.h"

#include <QDeadlineTimer>
#include <QFile>

#include <grp.h>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace StandIn {

namespace {
constexpr int lifetimeSeconds = 120;
constexpr int readyMilliseconds = 10000;
constexpr uid_t nobody = 65534;
} // namespace

QString programPath() {
    return QString::fromLocal8Bit(STANDIN_CLIENT_PATH);
}

QString copyAs(const QString& directory, const QString& name) {
    const QString copy = directory + QLatin1Char('/') + name;
    QFile::remove(copy);
    if (!QFile::copy(programPath(), copy))
        return {};
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                    QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    return copy;
}

QProcessEnvironment environment(const QByteArray& display) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("STOWBOX_STANDIN_LIFETIME"), QString::number(lifetimeSeconds));
    if (display.isEmpty())
        environment.remove(QStringLiteral("DISPLAY"));
    else
        environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
    return environment;
}

Process::Process(const Options& options) {
    process_.setProcessEnvironment(environment(options.display));
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const bool asNobody = options.asNobody;
    process_.setChildProcessModifier([asNobody] {
        // Should the test die without its destructors, the stand-in goes with it.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (asNobody && (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0))
            _exit(126);
    });
    process_.start(options.program, options.arguments);
}

Process::~Process() {
    stop();
}

bool Process::waitUntilReady() {
    if (!process_.waitForStarted(readyMilliseconds)) {
        failure_ = QStringLiteral("not started: ") + process_.errorString();
        return false;
    }
    const QDeadlineTimer deadline(readyMilliseconds);
    while (!process_.canReadLine()) {
        if (deadline.hasExpired() || !process_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            failure_ = QStringLiteral("no readiness line: ") + process_.errorString();
            return false;
        }
    }
    const QByteArray line = process_.readLine().trimmed();
    if (line.startsWith("window ")) {
        bool ok = false;
        window_ = line.mid(7).toUInt(&ok, 0);
        return ok;
    }
    return line == "no window";
}

void Process::stop() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.kill();
    process_.waitForFinished(readyMilliseconds);
}

} // namespace StandIn
