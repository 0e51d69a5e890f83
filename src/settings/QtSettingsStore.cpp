#include "settings/QtSettingsStore.h"

#include "settings/IniText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <optional>

namespace {
constexpr int maxCopyNameAttempts = 100;

// Nothing when the file exists but cannot be read; empty when there is no file.
std::optional<QByteArray> currentText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.exists() ? std::nullopt : std::optional<QByteArray>(QByteArray());
    QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return text;
}

bool writeAtomically(const QString& path, const QByteArray& text) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
}

bool keepCopyAside(const QString& path, const QByteArray& text) {
    const QString stem = path + QStringLiteral(".corrupt-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int attempt = 0; attempt < maxCopyNameAttempts; ++attempt) {
        const QString copy = attempt == 0 ? stem : stem + QLatin1Char('-') + QString::number(attempt);
        if (QFileInfo::exists(copy))
            continue;
        return writeAtomically(copy, text);
    }
    return false;
}
} // namespace

QString QtSettingsStore::fileOf(const QString& application) {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, application).fileName();
}

QString QtSettingsStore::readSetting(const QString& application, const QString& section, const QString& key) {
    const std::optional<QByteArray> text = currentText(fileOf(application));
    return text ? IniText::value(*text, section, key) : QString();
}

bool QtSettingsStore::saveSetting(const QString& application, const QString& section, const QString& key,
                                  const QString& value) {
    const QString path = fileOf(application);
    std::optional<QByteArray> text = currentText(path);
    // What cannot be read cannot be kept, so it is not overwritten either.
    if (!text)
        return false;
    if (!IniText::isSound(*text)) {
        if (!keepCopyAside(path, *text))
            return false;
        text->clear();
    }
    const std::optional<QByteArray> updated = IniText::withValue(*text, section, key, value);
    return updated && QDir().mkpath(QFileInfo(path).absolutePath()) && writeAtomically(path, *updated);
}
