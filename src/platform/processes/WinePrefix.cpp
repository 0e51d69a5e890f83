#include "platform/processes/WinePrefix.h"

#include "platform/files/PathProbe.h"

namespace WinePrefix {

QString driveC(const QString& prefix) {
    return prefix + QStringLiteral("/drive_c");
}

bool isPrefix(const QString& directory) {
    return PathProbe::isDirectory(driveC(directory)) &&
           PathProbe::isRegularFile(directory + QStringLiteral("/system.reg"));
}

} // namespace WinePrefix
