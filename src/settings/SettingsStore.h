#pragma once

#include "platform/StepResult.h"

#include <QString>

// The per-user store of string values addressed by application, section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The stored string, or the empty string when nothing is stored there; a store that cannot be read
    // fails. Never creates anything.
    virtual StepValue<QString> readSetting(const QString& application, const QString& section,
                                           const QString& key) = 0;

    // Stores the value exactly as given.
    virtual StepResult saveSetting(const QString& application, const QString& section, const QString& key,
                                   const QString& value) = 0;

    // Where the application's values are kept, for the report of a failed step; empty where a store
    // cannot tell.
    virtual QString location(const QString& application) {
        Q_UNUSED(application);
        return {};
    }
};

// The program's one persistent value: the Palace directory.
namespace PalacePathSetting {
inline const QString application = QStringLiteral("Stowbox");
inline const QString section = QStringLiteral("Spath");
inline const QString key = QStringLiteral("Pathkey");
} // namespace PalacePathSetting
