#include "platform/files/StandardStreams.h"

#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace StandardStreams {

namespace {
bool isOpen(int fd) {
    return fcntl(fd, F_GETFD) >= 0;
}
} // namespace

bool reserve() {
    const bool output = isOpen(STDOUT_FILENO);
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
        if (!isOpen(fd)) {
            const int null = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
            if (null >= 0 && null != fd) {
                dup2(null, fd);
                close(null);
            }
        }
    return output;
}

} // namespace StandardStreams
