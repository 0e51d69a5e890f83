#pragma once

#include "platform/StepResult.h"
#include "platform/processes/ProgramFile.h"

#include <QString>
#include <QStringList>
#include <functional>

// What to run for a program path: the program itself, or Wine with the path.
namespace LaunchCommand {

using FileKind = ProgramFile::Kind;
using FileProbe = std::function<FileKind(const QString& path)>;
using PrefixProbe = std::function<bool(const QString& directory)>;
using PathResolver = std::function<QString(const QString& path)>;

// What the choice looks at besides the path.
struct Surroundings {
    QString searchPath; // in the form of $PATH
    QString winePrefix; // $WINEPREFIX; empty when it is not set
    FileProbe probe;
    PrefixProbe isWinePrefix;
    PathResolver resolved; // the absolute path, symbolic links followed; empty when it leads to nothing
};

struct Command {
    enum Kind { Direct, ThroughWine } kind = Direct;
    QString program;
    QStringList arguments;
    QStringList environment; // "NAME=value" entries set for the program on top of ours
    friend bool operator==(const Command&, const Command&) = default;
};

// path as composed from the Palace directory. A name without "/" is looked up on the search path,
// first for a runnable file, then for one that Wine can run. Empty entries of the search path are
// skipped rather than taken as the current directory. A program run through Wine runs in the Wine
// prefix that holds it, by where the program really lies, links followed: $WINEPREFIX when it does, else
// the nearest directory above the program that is a prefix, else Wine's default. Fails, naming the file
// at fault, when there is no such program, when it cannot run by itself and is no Windows program, and
// when it is a Windows program and no wine is on the search path.
StepValue<Command> choose(const QString& path, const Surroundings& around);

} // namespace LaunchCommand
