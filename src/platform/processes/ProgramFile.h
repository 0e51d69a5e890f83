#pragma once

#include "platform/StepResult.h"

#include <QString>
#include <QStringList>

// What the system can do with a program file, and starting one.
namespace ProgramFile {

enum class Kind {
    Missing,  // absent, or not a regular file
    Runnable, // a regular file the system can run by itself
    Inert,    // a regular file it cannot: no execute permission, or a Windows program
};

Kind probe(const QString& path);

// Starts the program in a process of its own that outlives ours, with our working directory and our
// environment, in which each "NAME=value" of `environment` is set. Fails when it cannot be started.
StepResult startDetached(const QString& program, const QStringList& arguments,
                         const QStringList& environment);

} // namespace ProgramFile
