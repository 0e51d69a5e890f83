#include "windows_module.h"

#include "ProgramVersion.h"
#include "SystemUnits.h"
#include "app/mainwindow/Form1.h"
#include "app/pathdialog/PathDialogStart.h"
#include "app/pathdialog/sources/SystemDirectoryLister.h"
#include "app/pathdialog/sources/SystemDriveSource.h"
#include "app/prompts/MessageBoxPrompter.h"
#include "platform/drives/DriveScanner.h"

#include <QApplication>
#include <QDir>
#include <thread>

extern "C" int stowbox_windows_main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(programName));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(programVersion));

    SystemUnits units;
    MessageBoxPrompter prompter;
    SystemDriveSource drives;
    SystemDirectoryLister directories;
    PathDialogStart dialogStart(units.settings, DriveScanner::winePrefix(), QDir::homePath());
    const Form2Services dialog{units.settings, prompter, drives, directories, dialogStart};

    const QString programDirectory = QCoreApplication::applicationDirPath();
    const QString palaceDirectory =
        units.settings
            .readSetting(PalacePathSetting::application, PalacePathSetting::section, PalacePathSetting::key)
            .value;
    // The clean-up reads the program directory a second time, which the window need not wait for: a copy
    // locks its temporary file from the start, so the two never touch each other's files.
    const std::jthread cleanUp([&] { units.bags.removeLeftoversAtStart(programDirectory, palaceDirectory); });

    Form1 form1(
        {units.settings, units.bags, units.client, units.starter, prompter, dialog, programDirectory, [] {
             QApplication::closeAllWindows();
             QCoreApplication::exit(0);
         }});
    form1.show();
    return QApplication::exec();
}
