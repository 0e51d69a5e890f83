#pragma once

#include "client/DetachedProgramStarter.h"
#include "client/SystemClientDetector.h"
#include "platform/files/PosixFileSystem.h"
#include "props/BagStore.h"
#include "settings/IniFileSettingsStore.h"

// The units both the command line and the windows work through, over the real system.
struct SystemUnits {
    PosixFileSystem fileSystem;
    BagStore bags{fileSystem};
    IniFileSettingsStore settings{fileSystem};
    SystemClientDetector client;
    DetachedProgramStarter starter;
};
