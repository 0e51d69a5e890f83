#pragma once

#include "support/DirectoryContents.h"
#include "support/Form1Harness.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

// The usual stage for the bag operations: a Palace directory holding palace.prp, a program directory
// holding a.prp and myprop.prp, and an empty temporary current directory (the one a bare "palace.prp"
// resolves against) for as long as the scene lives.
class BagScene {
public:
    enum class Palace {
        Stored,           // stored with its trailing separator, palace.prp in it
        StoredAfterStart, // as Stored, but written to the settings only after the window has started
        NoLiveFile,       // stored, but palace.prp is missing
        DirectoryGone,    // a directory that does not exist is stored
        NotStored,        // nothing stored and no palace.prp in the current directory
        NotStoredLiveHere // nothing stored, palace.prp in the current directory
    };

    // What a bag operation must leave behind, checked in full by checkOutcome.
    struct Outcome {
        QStringList prompts; // as Form1Probe describes them, every scripted answer used
        int clientCalls = 0;
        DirectoryContents programFiles;
        DirectoryContents palaceFiles;
        std::optional<DirectoryContents> currentDirFiles; // not checked when not given
        QString controls;                                 // as controlStates shows them
        bool refreshed = false;
        QString selfile;
    };

    static const QByteArray liveBytes;
    static const QByteArray bagABytes;
    static const QByteArray myPropBytes;
    // A bag name in Latin-1, not valid UTF-8, which the list shows as latin1Shown, and the UTF-8 name of
    // what it shows as; writeRawBag fills either with its own name's bytes.
    static const QByteArray latin1Bag;
    static const QByteArray lookAlikeBag;
    static const QString latin1Shown;

    explicit BagScene(Palace palace = Palace::Stored);
    ~BagScene();

    // Starts and shows the window; selects the named bag by a click when a name is given.
    Form1& start(const QString& selectName = QString());
    // Clicks a listed name as a user would.
    void clickBag(const QString& name);
    void writeRawBag(const QByteArray& fileName);
    // Writes a bag behind the window's back: the list shows it only after it has been re-read.
    void sneakBagIn();
    bool listWasRefreshed() const;
    void checkOutcome(const Outcome& expected) const;

    DirectoryContents programFiles() const { return contentsOf(h.programDir.path()); }
    DirectoryContents palaceFiles() const { return contentsOf(h.palaceDir.path()); }
    DirectoryContents currentDirFiles() const { return contentsOf(currentDir.path()); }

    Form1Harness h;
    QTemporaryDir currentDir;

private:
    Palace palace_;
    QString previousCurrentDir_;
};
