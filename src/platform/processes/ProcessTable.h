#pragma once

#include <QByteArrayView>
#include <QString>
#include <functional>

// The running processes, as the kernel lists them under /proc.
namespace ProcessTable {

// comm is the kernel's name of the process; commandWord the first word of its command line.
using NameTest = std::function<bool(QByteArrayView comm, QByteArrayView commandWord)>;

// True when a process whose real user is ours has names that pass the test. procRoot is where the
// process table is mounted; false when it cannot be read.
bool anyProcessOfCurrentUser(const QString& procRoot, const NameTest& test);

} // namespace ProcessTable
