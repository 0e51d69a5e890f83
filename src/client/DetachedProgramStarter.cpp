#include "client/DetachedProgramStarter.h"

#include "client/LaunchCommand.h"
#include "platform/files/PathProbe.h"
#include "platform/processes/ProgramFile.h"
#include "platform/processes/WinePrefix.h"

StepResult DetachedProgramStarter::startProgram(const QString& path, int) {
    // An X11 window manager places and focuses a new window itself; the window style asks for no more.
    const StepValue<LaunchCommand::Command> command = LaunchCommand::choose(
        path, {QString::fromLocal8Bit(qgetenv("PATH")), qEnvironmentVariable("WINEPREFIX"),
               ProgramFile::probe, WinePrefix::isPrefix, PathProbe::resolved});
    if (!command)
        return command.result;
    return ProgramFile::startDetached(command.value.program, command.value.arguments,
                                      command.value.environment);
}
