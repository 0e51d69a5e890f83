#include "client/ProcessView.h"

#include <QFile>

ProcessView::ProcessView(const QList<qint64>& pids) {
    for (qint64 pid : pids)
        QFile::link(QStringLiteral("/proc/%1").arg(pid), directory_.filePath(QString::number(pid)));
}
