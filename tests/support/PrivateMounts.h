#pragma once

#include <QByteArray>
#include <QString>

// Small file systems of a test's own: the process moves into a private mount namespace (as root, or as root
// of a new user namespace), so its tmpfs mounts are invisible to the machine and vanish with the process.

// Empty when the process now has a private mount namespace in which it may mount; else why not.
QString enterPrivateMountNamespace();

// A tmpfs over a directory for the life of the object.
class TmpfsMount {
public:
    TmpfsMount(const QString& directory, int sizeKiB);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;
    bool makeReadOnly();
    QString error;

private:
    QByteArray directory_;
};
