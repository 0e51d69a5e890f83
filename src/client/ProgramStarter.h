#pragma once

#include "platform/StepResult.h"

#include <QString>

namespace WindowStyle {
inline constexpr int NormalFocus = 1; // normal size and position, focused
} // namespace WindowStyle

// Starts another program without waiting for it.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;

    // Fails when the program could not be started, with the file at fault: no such program, or for a
    // Windows program no wine.
    virtual StepResult startProgram(const QString& path, int windowStyle) = 0;
};
