#include "support/Form1Harness.h"

#include "settings/SettingsStore.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

Form1Harness::Form1Harness() {
    // Whatever else happens, never touch a real user's settings.
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
        qFatal("tests must run with their own XDG_CONFIG_HOME (run them through ctest)");
    QFile::remove(config + QStringLiteral("/Stowbox.conf"));
}

Form1Harness::~Form1Harness() = default;

Form1& Form1Harness::start() {
    const Form2Units dialog{settings, prompter, drives, directories, dialogStart};
    form = std::make_unique<Form1>(Form1Units{settings, bags, client, starter, prompter, dialog,
                                              programDir.path(), [this] { ++endProgramCalls; }});
    return *form;
}

void Form1Harness::storePalaceDirectory() {
    settings.saveSetting(PalacePathSetting::application, PalacePathSetting::section, PalacePathSetting::key,
                         palaceDirectory());
}

QString Form1Harness::palaceDirectory() const {
    return palaceDir.path() + QDir::separator();
}

QString Form1Harness::bagPath(const QString& name) const {
    return programDir.filePath(name);
}

QString Form1Harness::livePath() const {
    return palaceDir.filePath(QStringLiteral("palace.prp"));
}

void Form1Harness::writeFile(const QString& path, const QByteArray& bytes) {
    ::writeFile(path, bytes);
}

QByteArray Form1Harness::readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}
