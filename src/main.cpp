#include "ProgramVersion.h"
#include "SystemServices.h"
#include "WindowsEntry.h"
#include "cli/CommandLine.h"
#include "platform/files/StandardStreams.h"
#include "platform/processes/ProgramModule.h"
#include "platform/x11/WindowSystem.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

void report(const StepResult& failure) {
    std::fprintf(stderr, "stowbox: %s\n", failure.reason.toLocal8Bit().constData());
}

// A command needs no display and makes no widget: a core application, the window's services, and the end.
int runCommand(int argc, char* argv[], const QByteArray& programDirectory, bool outputOpen) {
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(programName));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(programVersion));

    SystemServices services{programDirectory};
    return CommandLine({services.settings, services.bags, services.client, services.starter,
                        services.fileSystem, programTitle, outputOpen})
        .run(arguments);
}

// Only the windows bring Qt Widgets and Gui, so their libraries are loaded now, with them.
int runWindows(int argc, char* argv[], const QByteArray& programDirectory) {
    if (!WindowSystem::reachable()) {
        std::fputs("stowbox: no display to open the window on; give a command, see stowbox --help\n", stderr);
        return 1;
    }
    const StepValue<void*> entry = ProgramModule::find(STOWBOX_WINDOWS_MODULE, windowsModuleEntry);
    if (!entry) {
        report(entry.result);
        return 1;
    }
    return reinterpret_cast<decltype(&stowbox_windows_main)>(entry.value)(argc, argv,
                                                                          programDirectory.constData());
}

} // namespace

// With any argument the command line runs; the window opens only with none, its toolkit settings coming
// from the environment.
int main(int argc, char* argv[]) {
    const bool outputOpen = StandardStreams::reserve();
    const StepValue<QByteArray> programDirectory = ProgramModule::directory();
    if (!programDirectory) {
        report(programDirectory.result);
        return 1;
    }
    return argc > 1 ? runCommand(argc, argv, programDirectory.value, outputOpen)
                    : runWindows(argc, argv, programDirectory.value);
}
