#pragma once

#include "client/ClientDetector.h"

#include <QByteArray>
#include <QString>

// Looks for the client's window on the X server and for its process.
// Nothing is remembered between calls.
class SystemClientDetector : public ClientDetector {
public:
    // displayName empty: $DISPLAY. Tests point both at their own server and process table.
    explicit SystemClientDetector(QByteArray displayName = {}, QString procRoot = QStringLiteral("/proc"));
    Sighting isPalaceRunning() override;

private:
    QByteArray displayName_;
    QString procRoot_;
};
