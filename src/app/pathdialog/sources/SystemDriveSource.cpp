#include "app/pathdialog/sources/SystemDriveSource.h"

#include "platform/drives/DriveScanner.h"

QList<Drive> SystemDriveSource::drives() {
    return DriveScanner::drives();
}
