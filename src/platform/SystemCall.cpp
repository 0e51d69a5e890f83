#include "platform/SystemCall.h"

#include "platform/FileSystem.h"

int syncDirectory(FileSystem& fs, int directory) {
    if (fs.fsync(directory) == 0 || errno == EINVAL)
        return 0;
    return errno;
}
