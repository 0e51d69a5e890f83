#pragma once

#include "app/pathdialog/Form2Services.h"

#include <QString>
#include <functional>

class SettingsStore;
class BagStore;
class ClientDetector;
class ProgramStarter;
class Prompter;

// What the main window works through. main.cpp wires the real ones; tests put fakes in their place.
struct Form1Services {
    SettingsStore& settings;
    BagStore& bags; // the program directory's, which becomes Apath
    ClientDetector& client;
    ProgramStarter& starter;
    Prompter& prompter;
    Form2Services dialog;
    std::function<void()> endProgram; // ends the process at once, writing nothing
};
