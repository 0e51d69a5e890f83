#include "client/LaunchCommand.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace LaunchCommand {

namespace {

const QString wine = QStringLiteral("wine");

StepValue<Command> noSuchProgram(const QString& path, const QString& reason) {
    return {{},
            StepResult::failure(StepResult::Kind::NotThere, ENOENT, reason).about(QFile::encodeName(path))};
}

QStringList directoriesOf(const QString& searchPath) {
    return searchPath.split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

QString inDirectory(const QString& directory, const QString& name) {
    return directory.endsWith(QLatin1Char('/')) ? directory + name : directory + QLatin1Char('/') + name;
}

// The first file of that name on the search path of the wanted kind; empty when there is none.
QString findOnPath(const QString& name, const QStringList& directories, FileKind wanted,
                   const FileProbe& probe) {
    for (const QString& directory : directories) {
        const QString candidate = inDirectory(directory, name);
        if (probe(candidate) == wanted)
            return candidate;
    }
    return {};
}

bool isWindowsProgramName(const QString& path) {
    return path.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive);
}

// Each prefix keeps its own registry and settings: a client run in another one would not find its own.
QString prefixFor(const QString& program, const Surroundings& around) {
    const QString client = around.resolved(program);
    if (client.isEmpty())
        return {};
    const QString set = around.winePrefix.isEmpty() ? QString() : around.resolved(around.winePrefix);
    if (!set.isEmpty() && client.startsWith(inDirectory(set, {})))
        return around.winePrefix;
    for (QString directory = QFileInfo(client).path();; directory = QFileInfo(directory).path()) {
        if (around.isWinePrefix(directory))
            return directory;
        if (QDir(directory).isRoot())
            return {};
    }
}

StepValue<Command> throughWine(const QString& program, const QStringList& directories,
                               const Surroundings& around) {
    const QString winePath = findOnPath(wine, directories, FileKind::Runnable, around.probe);
    if (winePath.isEmpty())
        return noSuchProgram(wine, QStringLiteral("not on the PATH, and a Windows program needs it"));
    const QString prefix = prefixFor(program, around);
    return {{Command::ThroughWine,
             winePath,
             {program},
             prefix.isEmpty() ? QStringList{} : QStringList{QStringLiteral("WINEPREFIX=") + prefix}},
            {}};
}

// Neither runnable by itself nor by Wine: what the system says when asked to run it.
StepValue<Command> notRunnable(const QString& path) {
    return {{}, StepResult::fromErrno(EACCES).about(QFile::encodeName(path))};
}

} // namespace

StepValue<Command> choose(const QString& path, const Surroundings& around) {
    if (path.isEmpty())
        return noSuchProgram(path, QStringLiteral("the program's name is empty"));
    const FileProbe& probe = around.probe;
    const QStringList directories = directoriesOf(around.searchPath);
    if (!path.contains(QLatin1Char('/'))) {
        const QString runnable = findOnPath(path, directories, FileKind::Runnable, probe);
        if (!runnable.isEmpty())
            return {{Command::Direct, runnable, {}, {}}, {}};
        const QString inert =
            isWindowsProgramName(path) ? findOnPath(path, directories, FileKind::Inert, probe) : QString();
        return inert.isEmpty() ? noSuchProgram(path, QStringLiteral("not found on the PATH"))
                               : throughWine(inert, directories, around);
    }
    switch (probe(path)) {
    case FileKind::Runnable:
        return {{Command::Direct, path, {}, {}}, {}};
    case FileKind::Inert:
        return isWindowsProgramName(path) ? throughWine(path, directories, around) : notRunnable(path);
    case FileKind::Missing:
        break;
    }
    return noSuchProgram(path, QStringLiteral("no such program file"));
}

} // namespace LaunchCommand
