#include "support/PrivateMounts.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

bool writeText(const char* path, const QByteArray& text) {
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

} // namespace

QString enterPrivateMountNamespace() {
    if (geteuid() != 0) {
        const uid_t uid = geteuid();
        const gid_t gid = getegid();
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return QStringLiteral("unshare of a user and mount namespace: ") + systemError(errno);
        if (!writeText("/proc/self/setgroups", "deny") ||
            !writeText("/proc/self/uid_map", QByteArray("0 ") + QByteArray::number(uid) + " 1") ||
            !writeText("/proc/self/gid_map", QByteArray("0 ") + QByteArray::number(gid) + " 1"))
            return QStringLiteral("cannot map the user into the new namespace");
    } else if (unshare(CLONE_NEWNS) != 0) {
        return QStringLiteral("unshare of a mount namespace: ") + systemError(errno);
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return QStringLiteral("making the mounts private: ") + systemError(errno);
    return {};
}

TmpfsMount::TmpfsMount(const QString& directory, int sizeKiB) : directory_(directory.toLocal8Bit()) {
    const QByteArray options = "mode=0700,size=" + QByteArray::number(sizeKiB) + "k";
    if (mount("tmpfs", directory_.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) != 0)
        error = systemError(errno);
}

TmpfsMount::~TmpfsMount() {
    if (error.isEmpty())
        umount2(directory_.constData(), MNT_DETACH);
}

bool TmpfsMount::makeReadOnly() {
    return mount(nullptr, directory_.constData(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV,
                 nullptr) == 0;
}
