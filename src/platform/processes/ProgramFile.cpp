#include "platform/processes/ProgramFile.h"

#include <QFile>
#include <QProcess>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ProgramFile {

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

} // namespace

Kind probe(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (stat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return Kind::Missing;
    if (access(name.constData(), X_OK) != 0 || isWindowsProgram(name))
        return Kind::Inert;
    return Kind::Runnable;
}

StepResult startDetached(const QString& program, const QStringList& arguments,
                         const QStringList& environment) {
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : environment) {
        const qsizetype equals = entry.indexOf(QLatin1Char('='));
        variables.insert(entry.left(equals), entry.mid(equals + 1));
    }
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessEnvironment(variables);
    if (process.startDetached())
        return {};
    // QProcess keeps the reason in its own words only.
    return StepResult::failure(StepResult::Kind::System, ENOEXEC, process.errorString())
        .about(QFile::encodeName(program));
}

} // namespace ProgramFile
