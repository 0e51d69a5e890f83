#pragma once

#include "settings/SettingsStore.h"

// The native per-user store: on Linux the file $XDG_CONFIG_HOME/<application>.conf in Qt's INI dialect.
// Every read looks at the file as it is at that moment, whoever wrote it last, and creates nothing.
// Writes replace the file atomically. A file that QSettings could not rewrite without losing some of it
// is first copied aside as <application>.conf.corrupt-<date>-<time>, and then replaced by a fresh one.
class QtSettingsStore : public SettingsStore {
public:
    QString readSetting(const QString& application, const QString& section, const QString& key) override;
    bool saveSetting(const QString& application, const QString& section, const QString& key,
                     const QString& value) override;
    QString location(const QString& application) override;
    QString whyNotWritable(const QString& application) override;

    static QString fileOf(const QString& application);
};
