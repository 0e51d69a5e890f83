#pragma once

#include "app/pathdialog/Form2.h"
#include "app/pathdialog/PathDialogStart.h"
#include "support/DialogFakes.h"
#include "support/FakePrompter.h"
#include "support/Form1Probe.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

class QWidget;

// A real Form2 over a temporary tree: home/ (where the lists start, with hidden and ordinary
// directories), a Wine-like drive under it, a drive whose directory is gone and one whose directory
// cannot be listed; with a recording prompter and a settings store in memory.
class Form2Harness {
public:
    Form2Harness();

    QTemporaryDir root;
    MemorySettingsStore settings;
    FakePrompter prompter;
    FakeDriveSource drives;
    RefusingLister directories;
    PathDialogStart start{settings, at("wine"), at("home")};
    std::unique_ptr<Form2> form;

    Form2Probe probe() const { return *form; }
    // A path under the temporary root.
    QString at(const QString& relative) const;
    // The stored Palace directory, "<none>" when nothing was stored.
    QString stored() const;
    // Where the drive list shows the drive of that name.
    int driveIndex(const QString& name) const;
    // The directory the fake drive source gives for the drive of that name.
    QString driveDirectory(const QString& name) const;
    // A control by its name: Dir1, Text1, Drive1, Command1 or Command2.
    QWidget* control(const QString& name) const;
};
