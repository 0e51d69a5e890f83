#pragma once

#include <QString>

// Starts another program without waiting for it.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;

    // windowStyle 1: normal size and position, focused. False when the program could not be started.
    virtual bool startProgram(const QString& path, int windowStyle) = 0;
};
