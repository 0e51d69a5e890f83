#pragma once

class SettingsStore;
class Prompter;

// What the path dialog works through.
struct Form2Units {
    SettingsStore& settings;
    Prompter& prompter;
};
