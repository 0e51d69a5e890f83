#include "settings/IniFileSettingsStore.h"

#include "platform/files/Directory.h"
#include "platform/files/FilePlace.h"
#include "platform/files/WholeFile.h"
#include "platform/safecopy/FileSteps.h"
#include "settings/IniText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cerrno>

namespace {
// Far more than any settings file holds; a larger one is no settings file and is not taken into memory.
constexpr qsizetype maxFileSize = qsizetype(1) << 20;

FilePlace corruptCopyStem(const FilePlace& file) {
    return {file.directory,
            file.name + ".corrupt-" +
                QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")).toLatin1()};
}
} // namespace

// Where QSettings(NativeFormat, UserScope, application) keeps its file, worked out without constructing
// one: QSettings reads the file at once. A relative XDG_CONFIG_HOME is ignored, as the XDG base directory
// rules say: Qt 6.4 would take it from whatever the working directory is.
QString IniFileSettingsStore::fileOf(const QString& application) {
    const QString configured = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString folder =
        QDir::isAbsolutePath(configured) ? configured : QDir::homePath() + QStringLiteral("/.config");
    return folder + QLatin1Char('/') + application + QStringLiteral(".conf");
}

QString IniFileSettingsStore::location(const QString& application) {
    return QDir::toNativeSeparators(fileOf(application));
}

StepValue<QString> IniFileSettingsStore::readSetting(const QString& application, const QString& section,
                                                     const QString& key) {
    const QByteArray path = QFile::encodeName(fileOf(application));
    const StepValue<QByteArray> file = WholeFile::read(fs_, path, maxFileSize);
    // No file yet is no failure: nothing has been stored. A link that leads nowhere is a store that
    // cannot be read, not an empty one.
    if (!file)
        return {{}, file.result.is(StepResult::Kind::NotThere) ? StepResult() : file.result.about(path)};
    const StepValue<QString> stored = IniText::value(file.value, section, key);
    return {stored.value, stored.result.about(path)};
}

StepResult IniFileSettingsStore::saveSetting(const QString& application, const QString& section,
                                             const QString& key, const QString& value) {
    const QByteArray path = QFile::encodeName(fileOf(application));
    // The settings file's path arrives whole, from where the system keeps such files.
    const FilePlace file = FilePlace::split(path);
    StepValue<QByteArray> current = WholeFile::read(fs_, path, maxFileSize);
    const bool absent = current.result.is(StepResult::Kind::NotThere);
    const bool tooLarge = current.result.error == EFBIG;
    // What cannot be read cannot be kept, so it is not overwritten either; a file too large to be taken
    // into memory can still be copied aside, as any other that is no settings file.
    if (!current && !absent && !tooLarge)
        return current.result.about(path);
    if (tooLarge || !IniText::isSound(current.value)) {
        if (const StepResult kept = FileSteps(fs_).copyToFreshName(file, corruptCopyStem(file)); !kept)
            return kept;
        current.value.clear();
    }
    if (absent)
        if (const StepResult made = Directory::make(fs_, file.directory, 0777); !made)
            return made;
    return FileSteps(fs_).write(file, IniText::withValue(current.value, section, key, value));
}
