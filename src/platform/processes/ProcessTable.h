#pragma once

#include "platform/StepResult.h"

#include <QByteArrayView>
#include <QString>
#include <functional>

// The running processes, as the kernel lists them under /proc.
namespace ProcessTable {

// comm is the kernel's name of the process; commandWord the first word of its command line. The name by
// which the process is the one looked for, a part of either; empty when it is not.
using NameTest = std::function<QByteArrayView(QByteArrayView comm, QByteArrayView commandWord)>;

// The first live process whose real user is ours and whose names pass the test, as "NAME (process PID)".
// procRoot is where the process table is mounted; cannot tell when it cannot be read.
Sighting findOwnProcess(const QString& procRoot, const NameTest& test);

} // namespace ProcessTable
