#include "platform/StepResult.h"

#include <cstring>

StepResult StepResult::fromErrno(int error) {
    if (error == 0)
        return {};
    return {false, error, QString::fromLocal8Bit(std::strerror(error))};
}

StepResult StepResult::refused(const QString& reason) {
    return {false, 0, reason};
}
