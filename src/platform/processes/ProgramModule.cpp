#include "platform/processes/ProgramModule.h"

#include <cerrno>
#include <climits>
#include <dlfcn.h>
#include <unistd.h>

namespace ProgramModule {

StepValue<QByteArray> directory() {
    char executable[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", executable, sizeof executable);
    if (length < 0)
        return {{}, StepResult::fromErrno(errno).about("/proc/self/exe")};
    if (length == ssize_t(sizeof executable))
        return {{}, StepResult::fromErrno(ENAMETOOLONG).about("/proc/self/exe")};
    const QByteArray path(executable, length);
    const qsizetype slash = path.lastIndexOf('/');
    return {slash <= 0 ? QByteArrayLiteral("/") : path.left(slash), {}};
}

StepValue<void*> find(const char* file, const char* entry) {
    const StepValue<QByteArray> folder = directory();
    if (!folder)
        return {nullptr, folder.result};
    const QByteArray path = folder.value + '/' + file;
    // Neither a missing module nor a missing entry sets errno: the closest codes, with dlerror's words.
    void* module = dlopen(path.constData(), RTLD_NOW);
    if (!module)
        return {nullptr,
                StepResult::failure(StepResult::Kind::System, ELIBACC, QString::fromLocal8Bit(dlerror()))};
    void* function = dlsym(module, entry);
    if (!function)
        return {nullptr,
                StepResult::failure(StepResult::Kind::System, ELIBBAD, QString::fromLocal8Bit(dlerror()))};
    return {function, {}};
}

} // namespace ProgramModule
