#pragma once

#include "app/mainwindow/Form1.h"
#include "app/pathdialog/PathDialogStart.h"
#include "app/pathdialog/sources/SystemDirectoryLister.h"
#include "app/pathdialog/sources/SystemDriveSource.h"
#include "platform/drives/DriveScanner.h"
#include "props/BagStore.h"
#include "settings/IniFileSettingsStore.h"
#include "support/DirectoryContents.h"
#include "support/FakePrompter.h"
#include "support/Fakes.h"
#include "support/FaultyFileSystem.h"
#include "support/FileBytes.h"
#include "support/Form1Probe.h"
#include "support/TrashedSteps.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>

// A real Form1 over a temporary program directory and Palace directory, with a recording prompter,
// a fake client detector and starter, the real file calls (a fault can be set on them), and the real
// settings store (the test's own XDG_CONFIG_HOME). It runs in an empty temporary current directory of its
// own, the one a bare "palace.prp" resolves against. Built with a Palace arrangement it is the stage of the
// bag operations: a.prp and myprop.prp in the program directory, and the Palace directory as arranged.
class Form1Harness {
public:
    enum class Palace {
        Stored,           // stored with its trailing separator, palace.prp in it
        StoredAfterStart, // as Stored, but written to the settings only after the window has started
        NoLiveFile,       // stored, but palace.prp is missing
        DirectoryGone,    // a directory that does not exist is stored
        Unreadable,       // as Stored, but after start-up a folder takes the settings file's place
        NotStored,        // nothing stored and no palace.prp in the current directory
        NotStoredLiveHere // nothing stored, palace.prp in the current directory
    };

    // What a bag operation must leave behind, checked in full by checkOutcome.
    struct Outcome {
        QStringList prompts; // as describe() shows them, every scripted answer used
        int clientCalls = 0;
        DirectoryContents programFiles;
        DirectoryContents palaceFiles;
        std::optional<DirectoryContents> currentDirFiles; // not checked when not given
        QString controls;                                 // as controlStates shows them
        bool refreshed = false;
        QString selfile;
    };

    static const QByteArray liveBytes;
    // A bag name in Latin-1, not valid UTF-8, which the list shows as latin1Shown, and the UTF-8 name of
    // what it shows as; writeRawBag fills either with its own name's bytes.
    static const QByteArray latin1Bag;
    static const QByteArray lookAlikeBag;
    static const QString latin1Shown;
    static const QByteArray bagABytes;
    static const QByteArray myPropBytes;

    Form1Harness(); // empty directories, nothing stored
    explicit Form1Harness(Palace palace);
    ~Form1Harness();

    QTemporaryDir programDir;
    QTemporaryDir palaceDir;
    QTemporaryDir currentDir;
    FaultyFileSystem fileSystem; // no fault unless a test sets one
    TrashedSteps fileSteps{fileSystem};
    BagStore bags{fileSystem, fileSteps.steps, QFile::encodeName(programDir.path())};
    IniFileSettingsStore settings{fileSystem};
    FakeClientDetector client;
    FakeProgramStarter starter;
    FakePrompter prompter;
    SystemDriveSource drives;
    SystemDirectoryLister directories;
    PathDialogStart dialogStart{settings, DriveScanner::winePrefix(), QDir::homePath()};
    int endProgramCalls = 0;
    std::unique_ptr<Form1> form;

    // Builds the window (runs Form_Load). Store the Palace directory and write files first.
    Form1& start();
    // Starts and shows the window; selects the named bag by a click when a name is given.
    Form1& open(const QString& selectName = QString());
    // The started window's state and controls.
    Form1Probe probe() const { return *form; }

    // Stores the Palace directory as the path dialog would: with a trailing separator.
    void storePalaceDirectory();
    // Puts a folder in the settings file's place: the store can then not be read.
    static void makeSettingsUnreadable();
    // Puts a file in the place of the home trash ($XDG_DATA_HOME/Trash), or leaves it empty and usable.
    static void setHomeTrashUsable(bool usable);
    QString palaceDirectory() const; // with trailing separator
    QString bagPath(const QString& name) const;
    QString livePath() const;

    // Clicks a listed name as a user would.
    void clickBag(const QString& name);
    void writeRawBag(const QByteArray& fileName);
    // Writes a bag behind the window's back: the list shows it only after it has been re-read.
    void sneakBagIn();
    bool listWasRefreshed() const;
    void checkOutcome(const Outcome& expected) const;

    DirectoryContents programFiles() const { return contentsOf(programDir.path()); }
    DirectoryContents palaceFiles() const { return contentsOf(palaceDir.path()); }
    DirectoryContents currentDirFiles() const { return contentsOf(currentDir.path()); }

private:
    std::optional<Palace> palace_;
    QString previousCurrentDir_;
};
