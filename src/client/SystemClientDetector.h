#pragma once

#include "client/ClientDetector.h"

// Looks for the client's window on the X server and for its process.
class SystemClientDetector : public ClientDetector {
public:
    bool isPalaceRunning() override;
};
