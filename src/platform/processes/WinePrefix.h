#pragma once

#include <QString>

// A Wine prefix: the directory that holds one Windows installation, its C: drive and its registry.
namespace WinePrefix {

// Where the prefix keeps its C: drive.
QString driveC(const QString& prefix);
// True when the directory holds a drive_c directory and a system.reg file.
bool isPrefix(const QString& directory);

} // namespace WinePrefix
