#include "cli/CommandLine.h"
#include "cli/CommandLineTexts.h"
#include "client/ClientDetector.h"
#include "client/ClientNames.h"
#include "client/ProgramStarter.h"
#include "platform/files/FilePlace.h"
#include "props/BagPaths.h"
#include "props/BagStore.h"
#include "settings/PalaceDirectory.h"
#include "settings/SettingsStore.h"

#include <QFile>

namespace {

// The live file by its whole path, or by its name where it lies among the bags, as a bag is named.
QByteArray shownLiveFile(const QString& palaceDirectory, const QString& programDirectory) {
    const FilePlace live = BagPaths::liveFile(palaceDirectory);
    return live.directory == QFile::encodeName(programDirectory)
               ? live.name
               : QFile::encodeName(BagPaths::shownLiveFile(palaceDirectory));
}

} // namespace

int CommandLine::list(const Operands&) {
    const StepValue<BagNames> listing = bags_.list();
    if (!listing.result)
        return fail(QFile::encodeName(units_.programDirectory), listing.result.reason);
    const char end = nul_ ? '\0' : '\n';
    QByteArray names;
    for (qsizetype row = 0; row < listing.value.size(); ++row)
        names.append(listing.value.fileName(row)).append(end);
    return print(names);
}

int CommandLine::save(const Operands& name) {
    QString palaceDirectory;
    if (const int refused = readyToCopy(name[0], palaceDirectory); refused != Success)
        return refused;
    const FilePlace liveFile = BagPaths::liveFile(palaceDirectory);
    if (const int missing =
            found(units_.bags.exists(liveFile), shownLiveFile(palaceDirectory, units_.programDirectory));
        missing != Success)
        return missing;
    const BagName bag = BagName::typed(name[0]);
    return finish(bags_.save(liveFile, bag, consent_), bag.bytes());
}

int CommandLine::load(const Operands& name) {
    QString palaceDirectory;
    if (const int refused = readyToCopy(name[0], palaceDirectory); refused != Success)
        return refused;
    const BagName bag = BagName::given(name[0]);
    if (const int missing = found(bags_.exists(bag), bag.bytes()); missing != Success)
        return missing;
    return finish(bags_.load(bag, BagPaths::liveFile(palaceDirectory), consent_),
                  shownLiveFile(palaceDirectory, units_.programDirectory));
}

int CommandLine::remove(const Operands& name) {
    if (const int refused = checkName(name[0]); refused != Success)
        return refused;
    const BagName bag = BagName::given(name[0]);
    return finish(bags_.remove(bag, consent_), bag.bytes());
}

// As the window's rename: the new name gets ".prp".
int CommandLine::rename(const Operands& names) {
    for (const QByteArray& name : names)
        if (const int refused = checkName(name); refused != Success)
            return refused;
    const BagName bag = BagName::given(names[0]);
    return finish(bags_.rename(bag, BagName::typed(names[1]), consent_), bag.bytes());
}

// As the window's Start Palace: nothing stored starts palace32.exe from the search path.
int CommandLine::start(const Operands&) {
    QString palaceDirectory;
    if (const int refused = readPalaceDirectory(palaceDirectory); refused != Success)
        return refused;
    const QString program = ClientNames::programIn(palaceDirectory);
    if (!units_.starter.startProgram(program, WindowStyle::NormalFocus))
        return fail(QFile::encodeName(program), CommandLineTexts::notStarted);
    return Success;
}

int CommandLine::path(const Operands&) {
    QString palaceDirectory;
    if (const int refused = readPalaceDirectory(palaceDirectory); refused != Success)
        return refused;
    return palaceDirectory.isEmpty() ? Success : print(QFile::encodeName(palaceDirectory) + '\n');
}

int CommandLine::setPath(const Operands& directory) {
    using namespace PalacePathSetting;
    const StepValue<QString> named =
        PalaceDirectory::settingForNamed(units_.fileSystem, QFile::decodeName(directory[0]));
    if (!named.result)
        return fail(directory[0], named.result.reason);
    const StepResult saved = units_.settings.saveSetting(application, section, key, named.value);
    return finish(saved, QFile::encodeName(units_.settings.location(application)));
}

int CommandLine::readPalaceDirectory(QString& directory) {
    using namespace PalacePathSetting;
    const StepValue<QString> stored = units_.settings.readSetting(application, section, key);
    if (!stored.result)
        return fail(QFile::encodeName(units_.settings.location(application)), stored.result.reason);
    directory = stored.value;
    return Success;
}

// The client may be writing the live file; with nothing stored, or a relative directory, the live file
// would be wherever the script happens to run, which its author never looked at.
int CommandLine::readyToCopy(const QByteArray& name, QString& palaceDirectory) {
    using namespace CommandLineTexts;
    if (const Sighting seen = units_.client.isPalaceRunning(); !seen.value.isEmpty())
        return fail(QFile::encodeName(seen.value), clientRunning, ClientRunning);
    if (const int refused = readPalaceDirectory(palaceDirectory); refused != Success)
        return refused;
    if (palaceDirectory.isEmpty())
        return fail({}, nothingStored);
    if (!PalaceDirectory::isPlace(palaceDirectory))
        return fail({}, notAPlace(palaceDirectory));
    return checkName(name);
}

int CommandLine::checkName(const QByteArray& name) {
    return BagPaths::isSingleFileName(name) ? int(Success) : fail(name, CommandLineTexts::notOneFileName);
}

int CommandLine::found(const StepResult& result, const QByteArray& source) {
    return result ? int(Success) : fail(source, result.reason);
}

int CommandLine::finish(const StepResult& result, const QByteArray& file) {
    if (result.is(StepResult::Kind::NotTrashable))
        return fail(result.file, CommandLineTexts::notTrashable(result.reason));
    return result ? int(Success) : fail(file, result.reason);
}
