#include "cli/CommandLine.h"
#include "cli/CommandLineTexts.h"
#include "client/ClientDetector.h"
#include "client/ClientNames.h"
#include "client/ProgramStarter.h"
#include "platform/files/PathText.h"
#include "props/BagPaths.h"
#include "props/BagStore.h"
#include "settings/PalaceDirectory.h"
#include "settings/SettingsStore.h"

#include <QDateTime>
#include <QFile>
#include <algorithm>

namespace {

StepResult badName(const QByteArray& name) {
    return BagPaths::isSingleFileName(name)
               ? StepResult()
               : StepResult::failure(StepResult::Kind::BadName, EINVAL, CommandLineTexts::notOneFileName)
                     .about(name);
}

QByteArray localTime(const timespec& time, const char* format) {
    return QDateTime::fromSecsSinceEpoch(time.tv_sec).toString(QLatin1String(format)).toLatin1();
}

// A version number as history prints it: a positive whole number, digits only.
int versionNumber(const QByteArray& given) {
    bool ok = false;
    const int number = given.toInt(&ok);
    const bool digits = std::all_of(given.begin(), given.end(), [](char c) { return c >= '0' && c <= '9'; });
    return ok && digits && number > 0 ? number : 0;
}

} // namespace

StepValue<FilePlace> CommandLine::liveFileToCopy(const QByteArray& bag) {
    StepValue<FilePlace> live = liveFileToChange();
    if (live)
        live.result = badName(bag);
    return live;
}

StepResult CommandLine::list(const CommandRequest& request) {
    const StepValue<BagNames> listing = services_.bags.list();
    if (!listing)
        return listing.result.about(services_.bags.directory());
    const BagNames& names = listing.value;
    QByteArray lines;
    if (request.has(CommandTable::Long)) {
        const StepValue<FilePlace> live = liveFile();
        const QList<BagStatus> statuses = services_.bags.statuses(names, live ? live.value : FilePlace{});
        for (qsizetype row = 0; row < names.size(); ++row) {
            const BagStatus& status = statuses[row];
            lines += QByteArray(status.loaded ? "* " : "- ") + QByteArray::number(status.size) + ' ' +
                     localTime(status.modified, "yyyy-MM-dd HH:mm") + ' ' + names.fileName(row) + lineEnd_;
        }
    } else {
        for (qsizetype row = 0; row < names.size(); ++row)
            lines += names.fileName(row) + lineEnd_;
    }
    return print(lines);
}

StepResult CommandLine::save(const CommandRequest& request) {
    const StepValue<FilePlace> live = liveFileToCopy(request.operands[0]);
    return live ? services_.bags.save(live.value, BagName::typed(request.operands[0]), ask_) : live.result;
}

StepResult CommandLine::load(const CommandRequest& request) {
    const StepValue<FilePlace> live = liveFileToCopy(request.operands[0]);
    return live ? services_.bags.load(BagName::given(request.operands[0]), live.value, ask_) : live.result;
}

StepResult CommandLine::remove(const CommandRequest& request) {
    if (const StepResult refused = badName(request.operands[0]); !refused)
        return refused;
    return services_.bags.remove(BagName::given(request.operands[0]), ask_);
}

// As the window's rename: the new name gets ".prp".
StepResult CommandLine::rename(const CommandRequest& request) {
    for (const QByteArray& name : request.operands)
        if (const StepResult refused = badName(name); !refused)
            return refused;
    return services_.bags.rename(BagName::given(request.operands[0]), BagName::typed(request.operands[1]),
                                 ask_);
}

StepResult CommandLine::start(const CommandRequest&) {
    const StepValue<FilePlace> live = liveFile();
    if (!live)
        return live.result;
    return services_.starter.startProgram(ClientNames::programIn(palaceDirectory().value),
                                          WindowStyle::NormalFocus);
}

StepResult CommandLine::path(const CommandRequest&) {
    const StepValue<QString> stored = palaceDirectory();
    if (!stored)
        return stored.result;
    if (stored.value.isEmpty())
        return StepResult::failure(StepResult::Kind::NotThere, ENOENT, CommandLineTexts::nothingStored);
    return print(PathText::toBytes(stored.value) + '\n');
}

StepResult CommandLine::setPath(const CommandRequest& request) {
    using namespace PalacePathSetting;
    const QByteArray& directory = request.operands[0];
    const StepValue<QString> named = PalaceDirectory::settingForNamed(services_.fileSystem, directory);
    if (!named)
        return named.result.about(directory);
    return services_.settings.saveSetting(application, section, key, named.value)
        .about(QFile::encodeName(services_.settings.location(application)));
}

StepResult CommandLine::current(const CommandRequest&) {
    const StepValue<FilePlace> live = liveFile();
    if (!live)
        return live.result;
    const StepValue<BagNames> listing = services_.bags.list();
    if (!listing)
        return listing.result.about(services_.bags.directory());
    const QList<BagStatus> statuses = services_.bags.statuses(listing.value, live.value);
    QByteArray lines;
    for (qsizetype row = 0; row < listing.value.size(); ++row)
        if (statuses[row].loaded)
            lines += listing.value.fileName(row) + lineEnd_;
    if (lines.isEmpty())
        return StepResult::failure(StepResult::Kind::NotThere, ENOENT, CommandLineTexts::nothingLoaded);
    return print(lines);
}

StepResult CommandLine::history(const CommandRequest& request) {
    const StepValue<FilePlace> live = liveFile();
    if (!live)
        return live.result;
    if (!request.operands.isEmpty())
        if (const StepResult refused = badName(request.operands[0]); !refused)
            return refused;
    const FilePlace file =
        request.operands.isEmpty() ? live.value : services_.bags.place(BagName::given(request.operands[0]));
    const StepValue<QList<TrashedVersion>> versions = services_.bags.versionsOf(file, live.value);
    if (!versions)
        return versions.result.about(file.path());
    const StepValue<BagNames> listing = services_.bags.list();
    const QList<BagStatus> statuses = services_.bags.statuses(listing.value, {});
    QByteArray lines;
    for (qsizetype n = 0; n < versions.value.size(); ++n) {
        const TrashedVersion& version = versions.value[n];
        lines += QByteArray::number(n + 1) + ' ' + QByteArray(version.deletionDate).replace('T', ' ') + ' ' +
                 QByteArray::number(version.size);
        const QList<qsizetype> copies = services_.bags.copiesOf(version, listing.value, statuses);
        for (qsizetype i = 0; i < copies.size(); ++i)
            lines += (i == 0 ? " = " : " ") + listing.value.fileName(copies[i]);
        lines += '\n';
    }
    return print(lines);
}

StepResult CommandLine::restore(const CommandRequest& request) {
    const QByteArray& given = request.operands.last();
    const int number = versionNumber(given);
    if (number == 0)
        return StepResult::failure(
            StepResult::Kind::Usage, EINVAL,
            CommandLineTexts::notAVersionNumber(QLatin1String(command_->name), QFile::decodeName(given)));
    const bool ofBag = request.operands.size() == 2;
    if (const StepResult refused = badName(ofBag ? request.operands[0] : QByteArray("palace")); !refused)
        return refused;
    if (const StepResult refused = badName(request.has(CommandTable::As) ? request.as : QByteArray("new"));
        !refused)
        return refused;
    const bool intoLiveFile = !ofBag && !request.has(CommandTable::As);
    const StepValue<FilePlace> live = intoLiveFile ? liveFileToChange() : liveFile();
    if (!live)
        return live.result;
    const FilePlace file = ofBag ? services_.bags.place(BagName::given(request.operands[0])) : live.value;
    const StepValue<QList<TrashedVersion>> versions = services_.bags.versionsOf(file, live.value);
    if (!versions)
        return versions.result.about(file.path());
    if (number > versions.value.size())
        return StepResult::failure(StepResult::Kind::NotThere, ENOENT, CommandLineTexts::noSuchVersion)
            .about(file.path());
    const FilePlace destination =
        request.has(CommandTable::As) ? services_.bags.place(BagName::typed(request.as)) : file;
    return services_.bags.restore(versions.value[number - 1], destination, ask_);
}

StepResult CommandLine::help(const CommandRequest& request) {
    if (request.operands.isEmpty())
        return print(CommandTable::generalHelp());
    const CommandTable::Command* asked = CommandTable::find(request.operands[0]);
    if (!asked) {
        const CommandTable::Command* meant = CommandTable::nearest(request.operands[0]);
        return StepResult::failure(
            StepResult::Kind::Usage, EINVAL,
            CommandLineTexts::unknownCommand(QFile::decodeName(request.operands[0]),
                                             meant ? QLatin1String(meant->name) : QString()));
    }
    return print(CommandTable::helpOf(*asked));
}
