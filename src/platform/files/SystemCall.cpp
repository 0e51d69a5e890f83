#include "platform/files/SystemCall.h"

#include "platform/files/FileSystem.h"

int syncDirectory(FileSystem& fs, int directory) {
    if (fs.fsync(directory) == 0 || errno == EINVAL)
        return 0;
    return errno;
}
