#include "support/RemoveTree.h"

#include <QByteArray>
#include <QtGlobal>

#include <sys/stat.h>

// ctest gives every test its own home, settings, data folder (where the trash is) and Wine prefix.
// Started by hand without them, a test would delete into the real user's trash or read their settings.
// Each run starts from empty ones: what an earlier run left, such as a trash grown run after run, must never
// decide an outcome. They stay open to all, as a checkout is, for the tests that drop to another user.
// Only a home inside the build tree's homes folder is emptied, its Wine prefix with it.
static void requireOwnEnvironment() {
    if (qEnvironmentVariableIsEmpty("STOWBOX_BUILD_DIR"))
        qFatal("run the tests through ctest (ctest --test-dir build -R NAME): it gives each test its own "
               "HOME, XDG_CONFIG_HOME, XDG_DATA_HOME and WINEPREFIX");
    const QByteArray homes = qgetenv("STOWBOX_BUILD_DIR") + "/tests/homes/";
    const QByteArray home = qgetenv("HOME");
    const QByteArray name = home.mid(homes.size());
    if (!home.startsWith(homes) || name.isEmpty() || name.contains('/') || name.startsWith('.'))
        qFatal("HOME is not a test home of the build tree: %s", home.constData());
    if (!removeTree(home))
        qFatal("cannot empty the test home %s", home.constData());
    for (const char* part : {"", "/config", "/data", "/tmp"})
        if (::mkdir((home + part).constData(), 0755) != 0)
            qFatal("cannot make the test home %s%s", home.constData(), part);
}
Q_CONSTRUCTOR_FUNCTION(requireOwnEnvironment)
