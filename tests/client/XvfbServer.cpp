#include "client/XvfbServer.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QFile>
#include <QUuid>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int startSeconds = 15;

// Reads the display number Xvfb writes to the pipe once it accepts connections.
QByteArray readDisplayNumber(int fd) {
    QByteArray number;
    QDeadlineTimer deadline(startSeconds * 1000);
    while (!deadline.hasExpired()) {
        pollfd ready{fd, POLLIN, 0};
        const int polled = poll(&ready, 1, static_cast<int>(deadline.remainingTime()));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            break;
        char c = 0;
        if (read(fd, &c, 1) != 1)
            break;
        if (c == '\n')
            return number;
        number.append(c);
    }
    return {};
}

// An authority file with one cookie for any address and display.
bool writeCookie(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream out(&file);
    out << quint16(0xffff) << quint16(0) << quint16(0);
    for (const QByteArray& field : {QByteArray("MIT-MAGIC-COOKIE-1"), QUuid::createUuid().toRfc4122()}) {
        out << quint16(field.size());
        out.writeRawData(field.constData(), static_cast<int>(field.size()));
    }
    return out.status() == QDataStream::Ok && file.flush();
}

} // namespace

XvfbServer::XvfbServer() {
    const QString cookieFile = cookieDirectory_.filePath(QStringLiteral("Xauthority"));
    const QByteArray cookies = QFile::encodeName(cookieFile);
    if (!writeCookie(cookieFile)) {
        failure_ = QStringLiteral("no authority file");
        return;
    }
    qputenv("XAUTHORITY", cookies);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        failure_ = QStringLiteral("no pipe for -displayfd");
        return;
    }
    // Everything the child needs is made before fork: after it only async-signal-safe calls.
    // -noreset: by default the server resets when its last client leaves and drops every connection
    // still being set up, so a stand-in started just as the one before it was killed found no server.
    const std::string fdText = std::to_string(fds[1]);
    const char* argv[] = {"Xvfb",    "-displayfd", fdText.c_str(), "-nolisten",
                          "tcp",     "-noreset",   "-auth",        cookies.constData(),
                          "-screen", "0",          "1024x768x24",  nullptr};
    pid_ = fork();
    if (pid_ == 0) {
        // Should the test die without its destructors, the server goes with it.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        fcntl(fds[1], F_SETFD, 0);
        const int devNull = open("/dev/null", O_RDWR);
        dup2(devNull, STDIN_FILENO);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        execvp(argv[0], const_cast<char* const*>(argv));
        _exit(127);
    }
    close(fds[1]);
    if (pid_ < 0) {
        close(fds[0]);
        failure_ = QStringLiteral("fork failed");
        return;
    }
    const QByteArray number = readDisplayNumber(fds[0]);
    close(fds[0]);
    if (number.isEmpty()) {
        failure_ = QStringLiteral("Xvfb did not start within %1 s (is it installed?)").arg(startSeconds);
        stop();
        return;
    }
    display_ = ':' + number;
}

XvfbServer::~XvfbServer() {
    stop();
}

void XvfbServer::stop() {
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    QDeadlineTimer deadline(5000);
    while (waitpid(pid_, nullptr, WNOHANG) == 0) {
        if (deadline.hasExpired()) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            break;
        }
        usleep(10000);
    }
    pid_ = -1;
    display_.clear();
}
