#pragma once

// Answers whether the Palace client is running right now; asked anew at every save and load.
class ClientDetector {
public:
    virtual ~ClientDetector() = default;
    virtual bool isPalaceRunning() = 0;
};
