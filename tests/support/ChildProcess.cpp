#include "support/ChildProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <csignal>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ChildProcess {

int wait(int pid, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (clock.elapsed() > timeoutMs) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return notRun;
        }
        usleep(200);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : notRun;
}

int run(const std::function<int()>& work, int timeoutMs) {
    const pid_t pid = fork();
    if (pid == 0)
        _exit(work());
    return pid < 0 ? notRun : wait(pid, timeoutMs);
}

int runWithReadOnlyDirectory(const QString& directory, const std::function<int()>& work) {
    const QByteArray path = QFile::encodeName(directory);
    return run([&] {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) != 0 ||
            mount(nullptr, path.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
            return setupFailed;
        return work();
    });
}

QString skipReason() {
    return QStringLiteral("cannot make a read-only mount in a private mount namespace "
                          "(needs root or CAP_SYS_ADMIN, and unshare allowed by the container)");
}

} // namespace ChildProcess
