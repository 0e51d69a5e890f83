#pragma once

#include "platform/drives/Drive.h"

#include <QByteArray>
#include <QList>
#include <utility>

// The drives of this machine: mounted volumes that hold real file systems, then the drive letters of
// the user's Wine prefix ($WINEPREFIX, else ~/.wine).
namespace DriveScanner {

// Mounted volumes first, the root volume leading; then the Wine drive letters in order.
QList<Drive> drives();

// False for the kernel's and the desktop's pseudo file systems, which hold no user files.
bool isRealFileSystem(const QString& mountPath, const QByteArray& type);
// The mounted volumes, given as (mount path, file system type), filtered and ordered: root first.
QList<Drive> volumes(const QList<std::pair<QString, QByteArray>>& mounted);
// The drive letters under `prefix`/dosdevices, each standing for the directory its link names.
QList<Drive> wineDrives(const QString& prefix);
QString winePrefix();

} // namespace DriveScanner
