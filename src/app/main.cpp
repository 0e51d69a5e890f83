#include "app/Form1.h"
#include "app/MessageBoxPrompter.h"
#include "app/ProgramIdentity.h"
#include "client/SystemClientDetector.h"
#include "platform/DetachedProgramStarter.h"
#include "platform/PosixFileSystem.h"
#include "platform/QtSettingsStore.h"
#include "props/BagStore.h"

#include <QApplication>

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

    const QString programDirectory = QCoreApplication::applicationDirPath();
    bags.removeLeftoverTemporaries(programDirectory);

    Form1 form1({settings, bags, client, starter, prompter, {settings, prompter}, programDirectory, [] {
                     QApplication::closeAllWindows();
                     QCoreApplication::exit(0);
                 }});
    form1.show();
    return QApplication::exec();
}
