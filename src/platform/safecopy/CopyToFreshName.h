#pragma once

#include "platform/StepResult.h"
#include "platform/files/FileSystem.h"

#include <QByteArray>

// Copies a file, complete or not at all, to the first of stem, stem-1, stem-2 ... that nothing has taken,
// so that no earlier copy is ever replaced.
StepResult copyToFreshName(FileSystem& fs, const QByteArray& source, const QByteArray& stem);
