#pragma once

#include "platform/StepResult.h"
#include "platform/files/FilePlace.h"
#include "platform/files/FileSystem.h"

// Copies a file, complete or not at all, to the first of stem, stem-1, stem-2 ... in the stem's directory
// that nothing has taken, so that no earlier copy is ever replaced.
StepResult copyToFreshName(FileSystem& fs, const FilePlace& source, const FilePlace& stem);
