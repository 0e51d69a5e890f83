#pragma once

#include <QByteArray>

class BagStore;
class ClientDetector;
class FileSystem;
class ProgramStarter;
class SettingsStore;

// What the command line works through: the window's own services, wired by main.cpp.
struct CommandLineServices {
    SettingsStore& settings;
    BagStore& bags; // the program directory's
    ClientDetector& client;
    ProgramStarter& starter;
    FileSystem& fileSystem;
    QByteArray version; // the program's name and version, as the About box shows them
    bool outputOpen;    // whether standard output was given open
};
