#pragma once

#include "platform/StepResult.h"

#include <QByteArray>

// The running program's own files: the directory of its executable, where it keeps its bags, and the shared
// modules beside it, which are loaded only when needed so that a run which does not need one never loads
// the libraries it brings.
namespace ProgramModule {

// The directory that holds the executable, links resolved, byte for byte.
StepValue<QByteArray> directory();
// Loads the module file beside the running executable, every symbol bound at once so that a module that does
// not fit the system fails here and not halfway through, and gives its function named entry. The module
// stays loaded for the rest of the run. A failure carries the loader's own words.
StepValue<void*> find(const char* file, const char* entry);

} // namespace ProgramModule
