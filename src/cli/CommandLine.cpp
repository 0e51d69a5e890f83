#include "cli/CommandLine.h"

#include "cli/CommandLineTexts.h"
#include "client/ClientDetector.h"
#include "props/BagPaths.h"
#include "props/BagStore.h"
#include "settings/PalaceDirectory.h"
#include "settings/SettingsStore.h"

#include <QFile>
#include <cerrno>
#include <cstdio>

namespace {

bool writeAll(std::FILE* stream, const QByteArray& bytes) {
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) == size_t(bytes.size()) &&
           std::fflush(stream) == 0;
}

int exitStatusOf(const StepResult& result) {
    switch (result.kind) {
    case StepResult::Kind::None:
        return CommandLine::Success;
    case StepResult::Kind::Usage:
        return CommandLine::Usage;
    case StepResult::Kind::InUse:
        return CommandLine::ClientRunning;
    default:
        return CommandLine::Failed;
    }
}

} // namespace

int CommandLine::run(const QList<QByteArray>& arguments) {
    const StepValue<CommandRequest> parsed = CommandRequest::parse(arguments);
    if (!parsed)
        return finish(parsed.result);
    const CommandRequest& request = parsed.value;
    command_ = request.command;
    if (request.has(CommandTable::Help))
        return finish(print(command_ ? CommandTable::helpOf(*command_) : CommandTable::generalHelp()));
    if (request.has(CommandTable::Version))
        return finish(print(services_.version + '\n'));
    const bool permanent = request.has(CommandTable::Permanent);
    ask_ = [permanent](const StepResult&) { return permanent; };
    lineEnd_ = request.has(CommandTable::Null) ? '\0' : '\n';
    // What killed copies left is cleaned at every start, a command's too.
    services_.bags.removeLeftovers(BagPaths::liveFile(palaceDirectory().value));
    return finish((this->*command_->run)(request));
}

StepValue<QString> CommandLine::palaceDirectory() {
    using namespace PalacePathSetting;
    return services_.settings.readSetting(application, section, key);
}

StepValue<FilePlace> CommandLine::liveFile() {
    using namespace CommandLineTexts;
    const StepValue<QString> stored = palaceDirectory();
    if (!stored)
        return {{}, stored.result};
    if (stored.value.isEmpty())
        return {{}, StepResult::failure(StepResult::Kind::NotThere, ENOENT, nothingStored)};
    if (!PalaceDirectory::isAbsolutePath(stored.value))
        return {{}, StepResult::failure(StepResult::Kind::BadName, EINVAL, notAbsolute(stored.value))};
    return {BagPaths::liveFile(stored.value), {}};
}

StepValue<FilePlace> CommandLine::liveFileToChange() {
    // A detector that cannot tell lets the command go on, as when nothing runs.
    if (const Sighting seen = services_.client.isPalaceRunning(); !seen.value.isEmpty())
        return {{},
                StepResult::failure(StepResult::Kind::InUse, EBUSY, CommandLineTexts::clientRunning)
                    .about(QFile::encodeName(seen.value))};
    return liveFile();
}

StepResult CommandLine::print(const QByteArray& bytes) {
    const int error = !services_.outputOpen ? EBADF : writeAll(stdout, bytes) ? 0 : errno != 0 ? errno : EIO;
    return StepResult::fromErrno(error).about(QFile::encodeName(CommandLineTexts::standardOutput));
}

QByteArray CommandLine::named(const QByteArray& path) const {
    const QByteArray folder = services_.bags.directory() + '/';
    return path.startsWith(folder) ? path.mid(folder.size()) : path;
}

int CommandLine::finish(const StepResult& result) {
    using namespace CommandLineTexts;
    if (result.ok())
        return Success;
    QByteArray line = QByteArray(programName) + ": ";
    if (command_ && !result.is(StepResult::Kind::Usage))
        line += QByteArray(command_->name) + ": ";
    if (!result.file.isEmpty())
        line += named(result.file) + ": ";
    const QString reason = result.is(StepResult::Kind::NotTrashable) ? notTrashable(result.reason)
                           : result.is(StepResult::Kind::NotDurable) ? notDurable(result.reason)
                                                                     : result.reason;
    writeAll(stderr, line + QFile::encodeName(reason) + '\n');
    return exitStatusOf(result);
}
