#pragma once

#include <QList>
#include <QTemporaryDir>

// A process table that lists only the given processes: links to their real /proc entries. A test's
// "not running" then cannot be upset by a client process that someone else runs meanwhile.
class ProcessView {
public:
    explicit ProcessView(const QList<qint64>& pids);
    QString path() const { return directory_.path(); }

private:
    QTemporaryDir directory_;
};
