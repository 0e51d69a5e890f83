#include "app/Form1.h"
#include "app/MessageBoxPrompter.h"
#include "app/ProgramIdentity.h"
#include "client/SystemClientDetector.h"
#include "platform/DetachedProgramStarter.h"
#include "platform/DirectoryReader.h"
#include "platform/DriveScanner.h"
#include "platform/PosixFileSystem.h"
#include "platform/QtSettingsStore.h"
#include "props/BagStore.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(ProgramIdentity::name);
    QCoreApplication::setApplicationVersion(ProgramIdentity::version);

    PosixFileSystem fileSystem;
    BagStore bags(fileSystem);
    QtSettingsStore settings;
    SystemClientDetector client;
    DetachedProgramStarter starter;
    MessageBoxPrompter prompter;
    DriveScanner drives;
    DirectoryReader directories;
    const Form2Units dialog{settings, prompter, drives, directories, QDir::homePath()};

    const QString programDirectory = QCoreApplication::applicationDirPath();
    bags.removeLeftoverTemporaries(programDirectory);

    Form1 form1({settings, bags, client, starter, prompter, dialog, programDirectory, [] {
                     QApplication::closeAllWindows();
                     QCoreApplication::exit(0);
                 }});
    form1.show();
    return QApplication::exec();
}
