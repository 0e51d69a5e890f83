#pragma once

#include "platform/ProgramFile.h"

#include <QString>
#include <QStringList>
#include <functional>

// What to run for a program path: the program itself, Wine with the path, or nothing at all.
namespace LaunchCommand {

using FileKind = ProgramFile::Kind;
using FileProbe = std::function<FileKind(const QString& path)>;

struct Command {
    enum Kind { Direct, ThroughWine, NotFound } kind = NotFound;
    QString program;
    QStringList arguments;
    friend bool operator==(const Command&, const Command&) = default;
};

// path as composed from the Palace directory; searchPath in the form of $PATH. A name without "/"
// is looked up on searchPath, first for a runnable file, then for one that Wine can run. Empty
// entries of searchPath are skipped rather than taken as the current directory.
Command choose(const QString& path, const QString& searchPath, const FileProbe& probe);

} // namespace LaunchCommand
