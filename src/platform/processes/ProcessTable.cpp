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

// The real user id from the "Uid:" line of /proc/PID/status.
bool isOwnedByCurrentUser(const QByteArray& processDirectory) {
    const QByteArray status = readHead(processDirectory + "/status", 4096);
    const qsizetype line = status.indexOf("\nUid:");
    if (line < 0)
        return false;
    bool ok = false;
    const QByteArray fields = status.mid(line + 5, status.indexOf('\n', line + 1) - line - 5).simplified();
    const uint realUser = fields.left(fields.indexOf(' ')).toUInt(&ok);
    return ok && realUser == getuid();
}

} // namespace

bool anyProcessOfCurrentUser(const QString& procRoot, const NameTest& test) {
    const QByteArray root = QFile::encodeName(procRoot);
    const std::unique_ptr<DIR, CloseDirectory> directory(opendir(root.constData()));
    if (!directory)
        return false;
    while (const dirent* entry = readdir(directory.get())) {
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
        // The owner is read last: only a process with the right name costs a third file.
        if (test(comm, commandWord) && isOwnedByCurrentUser(processDirectory))
            return true;
    }
    return false;
}

} // namespace ProcessTable
