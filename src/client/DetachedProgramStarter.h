#pragma once

#include "client/ProgramStarter.h"

// Starts the program in a process of its own that outlives ours, with no arguments and our working
// directory. A Windows program that cannot run by itself is handed to Wine, in the prefix that holds it.
class DetachedProgramStarter : public ProgramStarter {
public:
    StepResult startProgram(const QString& path, int windowStyle) override;
};
