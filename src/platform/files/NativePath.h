#pragma once

#include <QByteArray>
#include <QString>

// A path in the file system's own encoding, split into its directory and its last component.
struct NativePath {
    QByteArray directory; // "." for a bare name, "/" for a file in the root
    QByteArray name;      // empty when the path ends in "/"

    static NativePath split(const QByteArray& path);
    static NativePath split(const QString& path);
};
