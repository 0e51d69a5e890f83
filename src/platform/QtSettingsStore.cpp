#include "platform/QtSettingsStore.h"

#include <QSettings>

// placeholder until the store is hardened
QString QtSettingsStore::readSetting(const QString& application, const QString& section, const QString& key) {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, application);
    store.setFallbacksEnabled(false);
    return store.value(section + QLatin1Char('/') + key).toString();
}

bool QtSettingsStore::saveSetting(const QString& application, const QString& section, const QString& key,
                                  const QString& value) {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, application);
    store.setFallbacksEnabled(false);
    store.setValue(section + QLatin1Char('/') + key, value);
    store.sync();
    return store.status() == QSettings::NoError;
}
