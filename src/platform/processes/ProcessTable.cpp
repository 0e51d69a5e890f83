#include "platform/processes/ProcessTable.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace ProcessTable {

namespace {

struct CloseDirectory {
    void operator()(DIR* directory) const { closedir(directory); }
};

// At most maxBytes of a file; empty when it cannot be read (the process may just have ended).
QByteArray readHead(const QByteArray& path, qsizetype maxBytes) {
    const int fd = open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray bytes(maxBytes, Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < maxBytes) {
        const ssize_t got = read(fd, bytes.data() + filled, static_cast<size_t>(maxBytes - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        filled += got;
    }
    close(fd);
    bytes.truncate(filled);
    return bytes;
}

bool isProcessId(const char* name) {
    if (*name == '\0')
        return false;
    for (; *name; ++name)
        if (*name < '0' || *name > '9')
            return false;
    return true;
}

// The value of the line "NAME value" of /proc/PID/status, blanks made single.
QByteArray statusField(const QByteArray& status, const char* name) {
    const QByteArray key = '\n' + QByteArray(name);
    const qsizetype line = status.indexOf(key);
    if (line < 0)
        return {};
    const qsizetype start = line + key.size();
    return status.mid(start, status.indexOf('\n', start) - start).simplified();
}

// A process that has ended but is not yet reaped (state Z, or X on its way out) runs no more. The owner
// is the real user id of the "Uid:" line.
bool isLiveAndOurs(const QByteArray& processDirectory) {
    const QByteArray status = readHead(processDirectory + "/status", 4096);
    const QByteArray state = statusField(status, "State:");
    if (state.startsWith('Z') || state.startsWith('X'))
        return false;
    const QByteArray users = statusField(status, "Uid:");
    bool ok = false;
    const uint realUser = users.left(users.indexOf(' ')).toUInt(&ok);
    return ok && realUser == getuid();
}

} // namespace

Sighting findOwnProcess(const QString& procRoot, const NameTest& test) {
    const QByteArray root = QFile::encodeName(procRoot);
    const std::unique_ptr<DIR, CloseDirectory> directory(opendir(root.constData()));
    if (!directory)
        return {{}, StepResult::fromErrno(errno).about(root)};
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(directory.get());
        if (!entry)
            return {{}, StepResult::fromErrno(errno).about(root)};
        if (!isProcessId(entry->d_name))
            continue;
        const QByteArray processDirectory = root + '/' + entry->d_name;
        QByteArray comm = readHead(processDirectory + "/comm", 64);
        if (comm.endsWith('\n'))
            comm.chop(1);
        const QByteArray commandLine = readHead(processDirectory + "/cmdline", 4096);
        const qsizetype wordEnd = commandLine.indexOf('\0');
        const QByteArrayView commandWord =
            QByteArrayView(commandLine).first(wordEnd < 0 ? commandLine.size() : wordEnd);
        // The status is read last: only a process with the right name costs a third file.
        const QByteArrayView name = test(comm, commandWord);
        if (!name.isEmpty() && isLiveAndOurs(processDirectory))
            return {QStringLiteral("%1 (process %2)")
                        .arg(QString::fromLocal8Bit(name), QString::fromLatin1(entry->d_name)),
                    {}};
    }
}

} // namespace ProcessTable
