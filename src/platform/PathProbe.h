#pragma once

#include <QString>

// What a path names right now, following symbolic links. False for anything that cannot be looked at.
namespace PathProbe {

bool isDirectory(const QString& path);
bool isRegularFile(const QString& path);

} // namespace PathProbe
