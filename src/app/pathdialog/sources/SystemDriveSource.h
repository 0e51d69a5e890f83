#pragma once

#include "app/pathdialog/sources/DriveSource.h"
#include "platform/drives/DriveScanner.h"

// The drives of this machine, read afresh at each call.
class SystemDriveSource : public DriveSource {
public:
    QList<Drive> drives() override { return DriveScanner::drives(); }
};
