#include "platform/files/Directories.h"

#include <cerrno>
#include <sys/stat.h>

StepResult makeDirectories(const QByteArray& path) {
    for (qsizetype end = path.indexOf('/', 1);; end = path.indexOf('/', end + 1)) {
        const QByteArray directory = end < 0 ? path : path.left(end);
        if (::mkdir(directory.constData(), 0777) != 0 && errno != EEXIST)
            return StepResult::fromErrno(errno);
        if (end < 0)
            return {};
    }
}
