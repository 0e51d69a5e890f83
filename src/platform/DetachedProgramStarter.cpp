#include "platform/DetachedProgramStarter.h"

#include <QProcess>

#ifndef Q_OS_WIN
#include "client/LaunchCommand.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A PE file starts with "MZ". Without a binfmt handler the system cannot run one, whatever its mode
// says: files on Windows partitions often carry every permission bit.
bool isWindowsProgram(const QByteArray& path) {
    const int fd = open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char head[2] = {};
    const bool windows = read(fd, head, sizeof head) == 2 && head[0] == 'M' && head[1] == 'Z';
    close(fd);
    return windows;
}

LaunchCommand::FileKind probe(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (stat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return LaunchCommand::FileKind::Missing;
    if (access(name.constData(), X_OK) != 0 || isWindowsProgram(name))
        return LaunchCommand::FileKind::Inert;
    return LaunchCommand::FileKind::Runnable;
}

} // namespace

bool DetachedProgramStarter::startProgram(const QString& path, int) {
    // An X11 window manager places and focuses a new window itself; the window style asks for no more.
    const LaunchCommand::Command command =
        LaunchCommand::choose(path, QString::fromLocal8Bit(qgetenv("PATH")), probe);
    if (command.kind == LaunchCommand::Command::NotFound)
        return false;
    return QProcess::startDetached(command.program, command.arguments);
}

#else

bool DetachedProgramStarter::startProgram(const QString& path, int) {
    return QProcess::startDetached(path, {});
}

#endif
