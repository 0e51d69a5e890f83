#pragma once

#include <QString>

// What a path names right now, following symbolic links. False for anything that cannot be looked at.
namespace PathProbe {

bool isDirectory(const QString& path);
bool isRegularFile(const QString& path);
// The absolute path with every symbolic link followed; empty when it leads to nothing.
QString resolved(const QString& path);

} // namespace PathProbe
