#include <QtGlobal>

// ctest gives every test its own home, settings, data folder (where the trash is) and Wine prefix.
// Started by hand without them, a test would delete into the real user's trash or read their settings.
static void requireOwnEnvironment() {
    if (qEnvironmentVariableIsEmpty("STOWBOX_BUILD_DIR"))
        qFatal("run the tests through ctest (ctest --test-dir build -R NAME): it gives each test its own "
               "HOME, XDG_CONFIG_HOME, XDG_DATA_HOME and WINEPREFIX");
}
Q_CONSTRUCTOR_FUNCTION(requireOwnEnvironment)
