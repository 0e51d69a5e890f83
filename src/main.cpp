#include "ProgramVersion.h"
#include "SystemUnits.h"
#include "app/mainwindow/Form1Texts.h"
#include "cli/CommandLine.h"
#include "platform/processes/ProgramModule.h"
#include "windows_module.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

// A command needs no display and makes no widget: a core application, the window's units, and the end.
int runCommand(int argc, char* argv[]) {
    QList<QByteArray> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(programName));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(programVersion));

    SystemUnits units;
    return CommandLine({units.settings, units.bags, units.client, units.starter, units.fileSystem,
                        QCoreApplication::applicationDirPath(), Form1Texts::aboutVersion})
        .run(arguments);
}

// Only the windows bring Qt Widgets and Gui, so their libraries are loaded now, with them.
int runWindows(int argc, char* argv[]) {
    void* entry = nullptr;
    const StepResult found = ProgramModule::find(STOWBOX_WINDOWS_MODULE, windowsModuleEntry, entry);
    if (!found) {
        std::fprintf(stderr, "stowbox: %s\n", found.reason.toLocal8Bit().constData());
        return 1;
    }
    return reinterpret_cast<decltype(&stowbox_windows_main)>(entry)(argc, argv);
}

} // namespace

int main(int argc, char* argv[]) {
    return CommandLine::isRequested(argc, argv) ? runCommand(argc, argv) : runWindows(argc, argv);
}
