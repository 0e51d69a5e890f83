#pragma once

#include <QByteArray>
#include <QString>

// Where a file is: its directory and its name in it, in the file system's own encoding. Steps take a file
// this way, so that the directory they open and the name they act on are the ones their caller meant.
struct FilePlace {
    QByteArray directory; // "." for a bare name, "/" for a file in the root
    QByteArray name;      // empty when the path ends in "/"

    // The place of a path that arrives whole.
    static FilePlace split(const QByteArray& path);
    static FilePlace split(const QString& path);
    // The file name in directory, which may or may not end in its separator; in the current directory when
    // directory is empty.
    static FilePlace in(const QByteArray& directory, const QByteArray& name);
    // The whole path, as messages show it.
    QByteArray path() const;
};
