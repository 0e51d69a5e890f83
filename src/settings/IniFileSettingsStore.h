#pragma once

#include "platform/files/FileSystem.h"
#include "settings/SettingsStore.h"

// The native per-user store of QSettings: on Linux the file $XDG_CONFIG_HOME/<application>.conf in Qt's
// INI dialect, or $HOME/.config/<application>.conf where XDG_CONFIG_HOME is unset, empty or relative.
// It is read and written here rather than through QSettings, which blocks on a pipe in the
// file's place, reads a device without end, and writes with QSaveFile, which on Qt 6.4 renames a file
// whose last bytes never reached the disk.
// Every read opens the file as it is at that moment, whoever wrote it last, and touches nothing else.
// Writes replace the file atomically, keeping every other line of it. A file that cannot be changed in
// place is first copied aside as <application>.conf.corrupt-<date>-<time>, and then replaced by a fresh
// one; where the copy cannot be made, the file is left as it is.
class IniFileSettingsStore : public SettingsStore {
public:
    explicit IniFileSettingsStore(FileSystem& fs) : fs_(fs) {}

    StepValue<QString> readSetting(const QString& application, const QString& section,
                                   const QString& key) override;
    StepResult saveSetting(const QString& application, const QString& section, const QString& key,
                           const QString& value) override;
    QString location(const QString& application) override;

    static QString fileOf(const QString& application);

private:
    FileSystem& fs_;
};
