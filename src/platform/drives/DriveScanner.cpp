#include "platform/drives/DriveScanner.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStorageInfo>
#include <algorithm>
#include <utility>

namespace DriveScanner {

namespace {

bool isUnder(const QString& path, const QString& directory) {
    return path == directory || path.startsWith(directory + QLatin1Char('/'));
}

} // namespace

bool isRealFileSystem(const QString& mountPath, const QByteArray& type) {
    static const QSet<QByteArray> pseudoTypes = {
        "autofs",     "binfmt_misc", "bpf",      "cgroup",   "cgroup2",         "configfs",
        "debugfs",    "devpts",      "devtmpfs", "efivarfs", "fusectl",         "hugetlbfs",
        "mqueue",     "nsfs",        "proc",     "pstore",   "rootfs",          "rpc_pipefs",
        "securityfs", "squashfs",    "sysfs",    "tracefs",  "fuse.gvfsd-fuse", "fuse.portal"};
    if (pseudoTypes.contains(type))
        return false;
    // Removable media are mounted under /run/media on some systems; the rest of /run is the system's.
    if (isUnder(mountPath, QStringLiteral("/run/media")))
        return true;
    for (const char* system :
         {"/proc", "/sys", "/dev", "/run", "/var/run", "/var/lock", "/snap", "/boot/efi"})
        if (isUnder(mountPath, QLatin1String(system)))
            return false;
    return true;
}

QList<Drive> volumes(const QList<std::pair<QString, QByteArray>>& mounted) {
    QList<Drive> found;
    QSet<QString> seen;
    for (const auto& [mountPath, type] : mounted) {
        if (!isRealFileSystem(mountPath, type) || seen.contains(mountPath))
            continue;
        seen.insert(mountPath);
        found.append({QDir::toNativeSeparators(mountPath), mountPath});
    }
    std::stable_sort(found.begin(), found.end(), [](const Drive& a, const Drive& b) {
        const bool aRoot = QDir(a.directory).isRoot();
        const bool bRoot = QDir(b.directory).isRoot();
        if (aRoot != bRoot)
            return aRoot;
        return a.directory < b.directory;
    });
    return found;
}

QList<Drive> wineDrives(const QString& prefix) {
    static const QRegularExpression letter(QStringLiteral("^[a-z]:$"));
    const QDir devices(prefix + QStringLiteral("/dosdevices"));
    QList<Drive> found;
    for (const QString& name :
         devices.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!letter.match(name).hasMatch())
            continue;
        const QFileInfo link(devices.filePath(name));
        // A letter whose target is gone is still offered: picking it reports the drive as not ready.
        const QString target = link.isSymLink() ? link.symLinkTarget() : link.absoluteFilePath();
        found.append({name, QDir::cleanPath(target)});
    }
    return found;
}

QString winePrefix() {
    const QString configured = qEnvironmentVariable("WINEPREFIX");
    return configured.isEmpty() ? QDir::homePath() + QStringLiteral("/.wine") : configured;
}

QList<Drive> drives() {
    QList<std::pair<QString, QByteArray>> mounted;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        mounted.append({volume.rootPath(), volume.fileSystemType()});
    return volumes(mounted) + wineDrives(winePrefix());
}

} // namespace DriveScanner
