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

    // For the report of a failed save: where the application's values are kept, and the system's words
    // for why that place cannot be written now. Empty where a store cannot tell.
    virtual QString location(const QString& application) {
        Q_UNUSED(application);
        return {};
    }
    virtual QString whyNotWritable(const QString& application) {
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
