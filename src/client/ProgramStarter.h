#pragma once

#include <QString>

namespace WindowStyle {
inline constexpr int NormalFocus = 1; // normal size and position, focused
} // namespace WindowStyle

// Starts another program without waiting for it.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;

    // False when the program could not be started.
    virtual bool startProgram(const QString& path, int windowStyle) = 0;
};
