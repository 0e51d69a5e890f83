#include "platform/x11/WindowSystem.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

namespace WindowSystem {

bool reachable() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM").split(':').first();
    if (!platform.isEmpty() && platform != "xcb" && !platform.startsWith("wayland"))
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace WindowSystem
