#include "client/SystemClientDetector.h"

#include "client/ClientNames.h"
#include "platform/processes/ProcessTable.h"
#include "platform/x11/X11WindowTree.h"

SystemClientDetector::SystemClientDetector(QByteArray displayName, QString procRoot)
    : displayName_(std::move(displayName)), procRoot_(std::move(procRoot)) {}

bool SystemClientDetector::isPalaceRunning() {
    // The process table first: it is the cheaper look, and under Wine, where most users run the
    // client, it answers alone.
    return ProcessTable::anyProcessOfCurrentUser(procRoot_, ClientNames::isClientProcess) ||
           X11WindowTree::anyWindowClass(displayName_, ClientNames::isClientWindowClass);
}
