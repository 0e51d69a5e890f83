#include "app/pathdialog/SystemDriveSource.h"

#include "platform/DriveScanner.h"

QList<Drive> SystemDriveSource::drives() {
    return DriveScanner::drives();
}
