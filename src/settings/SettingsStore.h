#pragma once

#include <QString>

// The per-user store of string values addressed by application, section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The stored string, or the empty string when nothing is stored there. Never creates anything.
    virtual QString readSetting(const QString& application, const QString& section, const QString& key) = 0;

    // Stores the value exactly as given. False when the store could not be written.
    virtual bool saveSetting(const QString& application, const QString& section, const QString& key,
                             const QString& value) = 0;
};

// The program's one persistent value: the Palace directory.
namespace PalacePathSetting {
inline const QString application = QStringLiteral("Stowbox");
inline const QString section = QStringLiteral("Spath");
inline const QString key = QStringLiteral("Pathkey");
} // namespace PalacePathSetting
