#include "platform/StepResult.h"

#include <cerrno>
#include <cstring>

StepResult StepResult::fromErrno(int error) {
    if (error == 0)
        return {};
    return {Kind::System, error, QString::fromLocal8Bit(std::strerror(error)), {}};
}

StepResult StepResult::failure(Kind kind, int error, const QString& reason) {
    Q_ASSERT(kind != Kind::None && error != 0);
    return {kind == Kind::None ? Kind::System : kind, error != 0 ? error : EINVAL, reason, {}};
}

StepResult StepResult::about(const QByteArray& path) const {
    StepResult named = *this;
    if (!named.ok() && named.file.isEmpty())
        named.file = path;
    return named;
}
