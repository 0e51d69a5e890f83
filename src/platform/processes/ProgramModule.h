#pragma once

#include "platform/StepResult.h"

// A shared module of the program's own, kept beside its executable and loaded only when it is needed, so
// that a run which does not need it never loads the libraries it brings.
class ProgramModule {
public:
    // Loads the module file beside the running executable, every symbol bound at once so that a module that
    // does not fit the system fails here and not halfway through, and gives its function named entry. The
    // module stays loaded for the rest of the run. A failure carries the loader's own words.
    static StepResult find(const char* file, const char* entry, void*& function);
};
