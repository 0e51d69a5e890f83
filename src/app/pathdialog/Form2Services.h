#pragma once

class SettingsStore;
class Prompter;
class DriveSource;
class DirectoryLister;
class PathDialogStart;

// What the path dialog works through.
struct Form2Services {
    SettingsStore& settings;
    Prompter& prompter;
    DriveSource& drives;
    DirectoryLister& directories;
    PathDialogStart& start; // where the lists stand each time the dialog opens
};
