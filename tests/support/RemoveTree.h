#pragma once

#include <QByteArray>

// Removes a folder and everything in it by the exact bytes of the names, which Qt cannot reach where they
// are not valid text. It follows no link and crosses into no other mount. True when nothing is left.
bool removeTree(const QByteArray& path);

// Removes everything in a folder, by the same rules, and keeps the folder. True when it is left empty.
bool emptyFolder(const QByteArray& path);
