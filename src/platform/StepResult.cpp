#include "platform/StepResult.h"

#include <cerrno>
#include <cstring>

StepResult StepResult::fromErrno(int error) {
    if (error == 0)
        return {};
    return {false, error, QString::fromLocal8Bit(std::strerror(error)), {}};
}

StepResult StepResult::failure(int error, const QString& reason) {
    Q_ASSERT(error != 0);
    return {false, error != 0 ? error : EINVAL, reason, {}};
}
