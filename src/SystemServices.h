#pragma once

#include "client/DetachedProgramStarter.h"
#include "client/SystemClientDetector.h"
#include "platform/files/PosixFileSystem.h"
#include "platform/safecopy/FileSteps.h"
#include "platform/safecopy/Trash.h"
#include "props/BagStore.h"
#include "settings/IniFileSettingsStore.h"

#include <QByteArray>

// The services both the command line and the windows work through, over the real system, for the bags of
// the program directory.
struct SystemServices {
    explicit SystemServices(QByteArray programDirectory)
        : bags(fileSystem, steps, std::move(programDirectory)) {}

    PosixFileSystem fileSystem;
    Trash trash{fileSystem, TrashOwner::fromEnvironment()};
    FileSteps steps{fileSystem, &trash};
    BagStore bags;
    IniFileSettingsStore settings{fileSystem};
    SystemClientDetector client;
    DetachedProgramStarter starter;
};
