#pragma once

#include "platform/drives/Drive.h"

#include <QList>

// The drives the path dialog offers, one entry of its drive list each.
class DriveSource {
public:
    virtual ~DriveSource() = default;

    // Mounted volumes first, the root volume leading; then the Wine drive letters in order.
    virtual QList<Drive> drives() = 0;
};
