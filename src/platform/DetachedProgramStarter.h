#pragma once

#include "client/ProgramStarter.h"

class DetachedProgramStarter : public ProgramStarter {
public:
    bool startProgram(const QString& path, int windowStyle) override;
};
