#include "platform/processes/ProgramModule.h"

#include <cerrno>
#include <climits>
#include <dlfcn.h>
#include <string>
#include <unistd.h>

StepResult ProgramModule::find(const char* file, const char* entry, void*& function) {
    char executable[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", executable, sizeof executable);
    if (length < 0)
        return StepResult::fromErrno(errno);
    if (length == ssize_t(sizeof executable))
        return StepResult::fromErrno(ENAMETOOLONG);
    std::string path(executable, size_t(length));
    path.replace(path.rfind('/') + 1, std::string::npos, file);
    // Neither a missing module nor a missing entry sets errno: the closest codes, with dlerror's words.
    void* module = dlopen(path.c_str(), RTLD_NOW);
    if (!module)
        return StepResult::failure(StepResult::Kind::System, ELIBACC, QString::fromLocal8Bit(dlerror()));
    function = dlsym(module, entry);
    if (!function)
        return StepResult::failure(StepResult::Kind::System, ELIBBAD, QString::fromLocal8Bit(dlerror()));
    return {};
}
