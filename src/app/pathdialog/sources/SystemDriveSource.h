#pragma once

#include "app/pathdialog/sources/DriveSource.h"

// The drives of this machine, read afresh at each call.
class SystemDriveSource : public DriveSource {
public:
    QList<Drive> drives() override;
};
