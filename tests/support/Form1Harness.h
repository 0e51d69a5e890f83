#pragma once

#include "app/Form1.h"
#include "platform/DirectoryReader.h"
#include "platform/DriveScanner.h"
#include "props/BagStore.h"
#include "settings/QtSettingsStore.h"
#include "support/FakePrompter.h"
#include "support/Fakes.h"
#include "support/FaultyFileSystem.h"
#include "support/Form1Probe.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <memory>

// A real Form1 over a temporary program directory and Palace directory, with a recording prompter,
// a fake client detector and starter, the real file calls (a fault can be set on them), and the real
// settings store (the test's own XDG_CONFIG_HOME).
class Form1Harness {
public:
    Form1Harness();
    ~Form1Harness();

    QTemporaryDir programDir;
    QTemporaryDir palaceDir;
    FaultyFileSystem fileSystem; // no fault unless a test sets one
    BagStore bags{fileSystem};
    QtSettingsStore settings;
    FakeClientDetector client;
    FakeProgramStarter starter;
    FakePrompter prompter;
    DriveScanner drives;
    DirectoryReader directories;
    int endProgramCalls = 0;
    std::unique_ptr<Form1> form;

    // Builds the window (runs Form_Load). Store the Palace directory and write files first.
    Form1& start();
    // The started window's state and controls.
    Form1Probe probe() const { return *form; }
    // Stores the Palace directory as the path dialog would: with a trailing separator.
    void storePalaceDirectory();
    QString palaceDirectory() const; // with trailing separator
    QString bagPath(const QString& name) const;
    QString livePath() const;
    static void writeFile(const QString& path, const QByteArray& bytes);
    static QByteArray readFile(const QString& path);
};
