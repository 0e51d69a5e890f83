#include "WindowsEntry.h"

#include "ProgramVersion.h"
#include "SystemServices.h"
#include "app/mainwindow/Form1.h"
#include "app/pathdialog/PathDialogStart.h"
#include "app/pathdialog/sources/SystemDirectoryLister.h"
#include "app/pathdialog/sources/SystemDriveSource.h"
#include "app/prompts/MessageBoxPrompter.h"
#include "platform/drives/DriveScanner.h"
#include "props/BagPaths.h"

#include <QApplication>
#include <QDir>
#include <thread>

extern "C" int stowbox_windows_main(int argc, char* argv[], const char* programDirectory) {
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(programName));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(programVersion));

    SystemServices services{QByteArray(programDirectory)};
    MessageBoxPrompter prompter;
    SystemDriveSource drives;
    SystemDirectoryLister directories;
    PathDialogStart dialogStart(services.settings, DriveScanner::winePrefix(), QDir::homePath());
    const Form2Services dialog{services.settings, prompter, drives, directories, dialogStart};

    using namespace PalacePathSetting;
    const FilePlace liveFile =
        BagPaths::liveFile(services.settings.readSetting(application, section, key).value);
    // The clean-up reads the program directory a second time, which the window need not wait for: a copy
    // locks its temporary file from the start, so the two never touch each other's files.
    const std::jthread cleanUp([&] { services.bags.removeLeftovers(liveFile); });

    Form1 form1({services.settings, services.bags, services.client, services.starter, prompter, dialog, [] {
                     QApplication::closeAllWindows();
                     QCoreApplication::exit(0);
                 }});
    form1.show();
    return QApplication::exec();
}
