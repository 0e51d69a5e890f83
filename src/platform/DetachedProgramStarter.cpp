#include "platform/DetachedProgramStarter.h"

// placeholder until the launch is built
bool DetachedProgramStarter::startProgram(const QString&, int) { return false; }
