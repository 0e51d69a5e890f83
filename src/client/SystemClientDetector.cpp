#include "client/SystemClientDetector.h"

#include "client/ClientNames.h"
#include "platform/processes/ProcessTable.h"
#include "platform/x11/X11WindowTree.h"

SystemClientDetector::SystemClientDetector(QByteArray displayName, QString procRoot)
    : displayName_(std::move(displayName)), procRoot_(std::move(procRoot)) {}

Sighting SystemClientDetector::isPalaceRunning() {
    // The process table first: it is the cheaper look, and under Wine, where most users run the
    // client, it answers alone.
    const Sighting process = ProcessTable::findOwnProcess(procRoot_, ClientNames::clientProgramName);
    if (!process.value.isEmpty())
        return process;
    const Sighting window = X11WindowTree::findWindow(displayName_, ClientNames::clientWindowClass);
    if (!window.value.isEmpty() || process.result)
        return window;
    if (window.result)
        return process;
    Sighting neither = process;
    neither.result.reason += QStringLiteral("; ") + window.result.reason;
    return neither;
}
