#include "client/SystemClientDetector.h"

// placeholder until detection is built
bool SystemClientDetector::isPalaceRunning() { return false; }
