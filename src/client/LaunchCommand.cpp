#include "client/LaunchCommand.h"

namespace LaunchCommand {

namespace {

const QString wine = QStringLiteral("wine");

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

Command throughWine(const QString& program, const QStringList& directories, const FileProbe& probe) {
    const QString winePath = findOnPath(wine, directories, FileKind::Runnable, probe);
    if (winePath.isEmpty())
        return {};
    return {Command::ThroughWine, winePath, {program}};
}

} // namespace

Command choose(const QString& path, const QString& searchPath, const FileProbe& probe) {
    if (path.isEmpty())
        return {};
    const QStringList directories = directoriesOf(searchPath);
    if (!path.contains(QLatin1Char('/'))) {
        const QString runnable = findOnPath(path, directories, FileKind::Runnable, probe);
        if (!runnable.isEmpty())
            return {Command::Direct, runnable, {}};
        if (!isWindowsProgramName(path))
            return {};
        const QString inert = findOnPath(path, directories, FileKind::Inert, probe);
        return inert.isEmpty() ? Command{} : throughWine(inert, directories, probe);
    }
    switch (probe(path)) {
    case FileKind::Runnable:
        return {Command::Direct, path, {}};
    case FileKind::Inert:
        return isWindowsProgramName(path) ? throughWine(path, directories, probe) : Command{};
    case FileKind::Missing:
        break;
    }
    return {};
}

} // namespace LaunchCommand
