#include "windows_module.h"

#include "ProgramVersion.h"
#include "app/mainwindow/Form1.h"
#include "app/pathdialog/PathDialogStart.h"
#include "app/pathdialog/sources/SystemDirectoryLister.h"
#include "app/pathdialog/sources/SystemDriveSource.h"
#include "app/prompts/MessageBoxPrompter.h"
#include "client/DetachedProgramStarter.h"
#include "client/SystemClientDetector.h"
#include "platform/drives/DriveScanner.h"
#include "platform/files/PosixFileSystem.h"
#include "props/BagStore.h"
#include "settings/IniFileSettingsStore.h"

#include <QApplication>
#include <QDir>
#include <thread>

extern "C" int stowbox_windows_main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(programName));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(programVersion));

    PosixFileSystem fileSystem;
    BagStore bags(fileSystem);
    IniFileSettingsStore settings(fileSystem);
    SystemClientDetector client;
    DetachedProgramStarter starter;
    MessageBoxPrompter prompter;
    SystemDriveSource drives;
    SystemDirectoryLister directories;
    PathDialogStart dialogStart(settings, DriveScanner::winePrefix(), QDir::homePath());
    const Form2Services dialog{settings, prompter, drives, directories, dialogStart};

    const QString programDirectory = QCoreApplication::applicationDirPath();
    const QString palaceDirectory =
        settings
            .readSetting(PalacePathSetting::application, PalacePathSetting::section, PalacePathSetting::key)
            .value;
    // The clean-up reads the program directory a second time, which the window need not wait for: a copy
    // locks its temporary file from the start, so the two never touch each other's files.
    const std::jthread cleanUp([&] { bags.removeLeftoversAtStart(programDirectory, palaceDirectory); });

    Form1 form1({settings, bags, client, starter, prompter, dialog, programDirectory, [] {
                     QApplication::closeAllWindows();
                     QCoreApplication::exit(0);
                 }});
    form1.show();
    return QApplication::exec();
}
