#pragma once

#include <QString>

class SettingsStore;
class Prompter;
class DriveSource;
class DirectoryLister;

// What the path dialog works through.
struct Form2Units {
    SettingsStore& settings;
    Prompter& prompter;
    DriveSource& drives;
    DirectoryLister& directories;
    QString startDirectory; // where the lists stand each time the dialog opens
};
