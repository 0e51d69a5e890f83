#include "support/RemoveTree.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <ftw.h>
#include <sys/stat.h>

namespace {

int openUp(const char* path, const struct stat*, int type, FTW*) {
    if (type == FTW_D)
        ::chmod(path, 0700); // a folder a test made read-only must still give up its entries
    return 0;
}

int removeEntry(const char* path, const struct stat*, int, FTW*) {
    return ::remove(path) == 0 || errno == ENOENT ? 0 : -1;
}

} // namespace

bool removeTree(const QByteArray& path) {
    ::nftw(path.constData(), openUp, 16, FTW_PHYS | FTW_MOUNT);
    return ::nftw(path.constData(), removeEntry, 16, FTW_PHYS | FTW_MOUNT | FTW_DEPTH) == 0 ||
           errno == ENOENT;
}

bool emptyFolder(const QByteArray& path) {
    DIR* folder = ::opendir(path.constData());
    if (folder == nullptr)
        return false;
    bool emptied = true;
    while (const dirent* entry = ::readdir(folder)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            emptied = removeTree(path + '/' + name) && emptied;
    }
    ::closedir(folder);
    return emptied;
}
