#include "client/SystemClientDetector.h"

#include "client/ClientNames.h"

#ifdef Q_OS_WIN
#include <QLibrary>
#include <qt_windows.h>
#else
#include "platform/ProcessTable.h"
#include "platform/X11WindowTree.h"
#endif

SystemClientDetector::SystemClientDetector(QByteArray displayName, QString procRoot)
    : displayName_(std::move(displayName)), procRoot_(std::move(procRoot)) {}

#ifdef Q_OS_WIN

bool SystemClientDetector::isPalaceRunning() {
    // Bound at the first call, not at load time, and kept for the run.
    using FindWindowFunction = HWND(WINAPI*)(LPCSTR, LPCSTR);
    static const auto findWindow =
        reinterpret_cast<FindWindowFunction>(QLibrary::resolve(QStringLiteral("user32"), "FindWindowA"));
    return findWindow && findWindow(ClientNames::nativeWindowClass, nullptr) != nullptr;
}

#else

bool SystemClientDetector::isPalaceRunning() {
    // The process table first: it is the cheaper look, and under Wine, where most users run the
    // client, it answers alone.
    return ProcessTable::anyProcessOfCurrentUser(procRoot_, ClientNames::isClientProcess) ||
           X11WindowTree::anyWindowClass(displayName_, ClientNames::isClientWindowClass);
}

#endif
