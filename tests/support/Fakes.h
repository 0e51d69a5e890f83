#pragma once

#include "client/ClientDetector.h"
#include "client/ProgramStarter.h"

#include <QStringList>

class FakeClientDetector : public ClientDetector {
public:
    bool running = false;
    int calls = 0;
    bool isPalaceRunning() override {
        ++calls;
        return running;
    }
};

class FakeProgramStarter : public ProgramStarter {
public:
    bool succeeds = true;
    QStringList started; // every path asked for, whether or not it started
    bool startProgram(const QString& path, int windowStyle) override {
        started.append(path);
        lastWindowStyle = windowStyle;
        return succeeds;
    }
    int lastWindowStyle = 0;
};
