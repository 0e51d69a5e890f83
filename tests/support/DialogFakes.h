#pragma once

#include "app/pathdialog/sources/DriveSource.h"
#include "app/pathdialog/sources/SystemDirectoryLister.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QHash>
#include <QStringList>
#include <cerrno>

// Offers the drives a test sets, counting the reads.
class FakeDriveSource : public DriveSource {
public:
    QList<Drive> list;
    int reads = 0;
    QList<Drive> drives() override {
        ++reads;
        return list;
    }
};

// Lists through the real file system, except the directories it is told to refuse.
class RefusingLister : public DirectoryLister {
public:
    QStringList refused; // cleaned paths
    StepValue<QStringList> subdirectories(const QString& directory) override {
        if (refused.contains(QDir::cleanPath(QDir::fromNativeSeparators(directory))))
            return {{}, StepResult::fromErrno(EACCES)};
        return real_.subdirectories(directory);
    }

private:
    SystemDirectoryLister real_;
};

// A settings store in memory that can be made to refuse writing.
class MemorySettingsStore : public SettingsStore {
public:
    bool writable = true;
    int saves = 0; // attempts, failed ones included
    QHash<QString, QString> values;

    StepValue<QString> readSetting(const QString& application, const QString& section,
                                   const QString& key) override {
        return {values.value(address(application, section, key)), {}};
    }
    StepResult saveSetting(const QString& application, const QString& section, const QString& key,
                           const QString& value) override {
        ++saves;
        if (!writable)
            return StepResult::fromErrno(EROFS);
        values.insert(address(application, section, key), value);
        return {};
    }
    QString location(const QString& application) override {
        return QStringLiteral("/test/") + application + ".conf";
    }

private:
    static QString address(const QString& application, const QString& section, const QString& key) {
        return application + QLatin1Char('/') + section + QLatin1Char('/') + key;
    }
};
