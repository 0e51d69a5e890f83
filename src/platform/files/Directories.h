#pragma once

#include "platform/StepResult.h"

#include <QByteArray>

// Creates the directory and those above it that are missing, like `mkdir -p`.
StepResult makeDirectories(const QByteArray& path);
