#include "app/pathdialog/PathDialogStart.h"

#include "platform/files/PathProbe.h"
#include "platform/processes/WinePrefix.h"
#include "settings/SettingsStore.h"

PathDialogStart::PathDialogStart(SettingsStore& settings, QString winePrefix, QString home)
    : settings_(settings), winePrefix_(std::move(winePrefix)), home_(std::move(home)) {}

QString PathDialogStart::directory() {
    using namespace PalacePathSetting;
    const QString stored = settings_.readSetting(application, section, key).value;
    if (PathProbe::isDirectory(stored))
        return stored;
    const QString driveC = WinePrefix::driveC(winePrefix_);
    return PathProbe::isDirectory(driveC) ? driveC : home_;
}
