#pragma once

#include "settings/SettingsStore.h"

// The native per-user store: on Linux $XDG_CONFIG_HOME/<application>.conf, on Windows the registry.
class QtSettingsStore : public SettingsStore {
public:
    QString readSetting(const QString& application, const QString& section, const QString& key) override;
    bool saveSetting(const QString& application, const QString& section, const QString& key,
                     const QString& value) override;
    QString location(const QString& application) override;
    QString whyNotWritable(const QString& application) override;
};
