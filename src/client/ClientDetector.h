#pragma once

#include "platform/StepResult.h"

// Answers whether the Palace client is running right now, and by what it was seen; asked anew at every
// save and load. A detector that cannot tell says so; its callers then go on as when nothing runs.
class ClientDetector {
public:
    virtual ~ClientDetector() = default;
    virtual Sighting isPalaceRunning() = 0;
};
