#pragma once

#include "client/ClientDetector.h"
#include "client/ProgramStarter.h"

#include <QFile>
#include <QStringList>

#include <cerrno>

class FakeClientDetector : public ClientDetector {
public:
    bool running = false;
    int calls = 0;
    Sighting isPalaceRunning() override {
        ++calls;
        return {running ? QStringLiteral("palace32.exe (process 1)") : QString(), {}};
    }
};

class FakeProgramStarter : public ProgramStarter {
public:
    bool succeeds = true;
    QStringList started; // every path asked for, whether or not it started
    StepResult startProgram(const QString& path, int windowStyle) override {
        started.append(path);
        lastWindowStyle = windowStyle;
        return succeeds ? StepResult() : StepResult::fromErrno(ENOENT).about(QFile::encodeName(path));
    }
    int lastWindowStyle = 0;
};
