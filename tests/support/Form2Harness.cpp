#include "support/Form2Harness.h"

#include "app/pathdialog/DirList.h"
#include "app/pathdialog/DriveList.h"

#include <QDir>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>

Form2Harness::Form2Harness() {
    for (const char* dir :
         {"home/.hidden", "home/.wine/drive_c/Palace", "home/alpha", "home/Beta", "refused"})
        QDir().mkpath(at(dir));
    directories.refused = {at("refused")};
    drives.list = {{"/", "/"}, {"c:", at("home/.wine/drive_c")}, {"e:", at("gone")}, {"f:", at("refused")}};
    form = std::make_unique<Form2>(Form2Services{settings, prompter, drives, directories, start});
}

QString Form2Harness::at(const QString& relative) const {
    return root.path() + '/' + relative;
}

QString Form2Harness::stored() const {
    return settings.values.value(QStringLiteral("Stowbox/Spath/Pathkey"), QStringLiteral("<none>"));
}

int Form2Harness::driveIndex(const QString& name) const {
    return probe().Drive1->findText(name);
}

QString Form2Harness::driveDirectory(const QString& name) const {
    for (const Drive& drive : drives.list)
        if (drive.name == name)
            return drive.directory;
    return {};
}

QWidget* Form2Harness::control(const QString& name) const {
    const QMap<QString, QWidget*> controls{{"Dir1", probe().Dir1},
                                           {"Text1", probe().Text1},
                                           {"Drive1", probe().Drive1},
                                           {"Command1", probe().Command1},
                                           {"Command2", probe().Command2}};
    return controls.value(name);
}
