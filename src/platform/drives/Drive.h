#pragma once

#include <QString>

// A place of this machine that holds directories: a mounted volume named by its mount path, or a drive
// letter of a Wine prefix ("c:") standing for the directory it links to.
struct Drive {
    QString name;      // the mount path with native separators, or the letter
    QString directory; // where the drive's directories begin
    friend bool operator==(const Drive&, const Drive&) = default;
};
