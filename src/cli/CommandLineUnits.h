#pragma once

#include <QString>

class BagStore;
class ClientDetector;
class FileSystem;
class ProgramStarter;
class SettingsStore;

// What the command line works through: the window's own units, wired by main.cpp.
struct CommandLineUnits {
    SettingsStore& settings;
    BagStore& bags;
    ClientDetector& client;
    ProgramStarter& starter;
    FileSystem& fileSystem;
    QString programDirectory; // where the bags are, as for the window
    QString version;          // the About box's name and version
};
