#pragma once

#include "platform/StepResult.h"

#include <QString>

// What a look for a running program saw, in words a person reads: "palace32.exe (process 1234)", or empty
// when it saw nothing. A look that cannot tell (no /proc, no X server) fails with the reason, and has seen
// nothing.
using Sighting = StepValue<QString>;
