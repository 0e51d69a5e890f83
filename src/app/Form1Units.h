#pragma once

#include "app/Form2Units.h"

#include <QString>
#include <functional>

class SettingsStore;
class BagStore;
class ClientDetector;
class ProgramStarter;
class Prompter;

// What the main window works through. main.cpp wires the real ones; tests put fakes in their place.
struct Form1Units {
    SettingsStore& settings;
    BagStore& bags;
    ClientDetector& client;
    ProgramStarter& starter;
    Prompter& prompter;
    Form2Units dialog;
    QString programDirectory;         // becomes Apath
    std::function<void()> endProgram; // ends the process at once, writing nothing
};
