#pragma once

#include <QString>
#include <QStringList>

class FileSystem;

// The outcome of one file step; reason is the system's own words when it failed.
struct FileResult {
    bool ok = true;
    QString reason;
    explicit operator bool() const { return ok; }
};

// Whole-file operations on prop bags and the client's live file. Contents are never looked at.
// Copies replace their destination atomically: it is always either exactly as before or exactly the new copy.
class BagStore {
public:
    explicit BagStore(FileSystem& fs);

    FileResult copyFile(const QString& source, const QString& destination);
    FileResult deleteFile(const QString& path);
    // A rename within one directory, done in one step.
    FileResult renameFile(const QString& from, const QString& to);
    // Names (with extension, without directory) of the regular files in directory ending in ".prp".
    QStringList listBags(const QString& directory) const;
    // Removes our own temporary files left behind by an earlier run that was killed mid-copy.
    void removeLeftoverTemporaries(const QString& directory);

private:
    FileSystem& fs_;
};
