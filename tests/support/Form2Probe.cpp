#include "support/Form2Probe.h"

#include "app/pathdialog/DirList.h"

#include <QDir>

namespace {

QString pathOf(const QTreeWidgetItem& entry) {
    if (entry.parent() == nullptr)
        return QDir::fromNativeSeparators(entry.text(0));
    const QString parent = pathOf(*entry.parent());
    return parent.endsWith(QLatin1Char('/')) ? parent + entry.text(0)
                                             : parent + QLatin1Char('/') + entry.text(0);
}

} // namespace

QStringList Form2Probe::entryPaths() const {
    return ::entryPaths(*Dir1);
}

QStringList entryPaths(const DirList& list) {
    QStringList paths;
    for (QTreeWidgetItemIterator entry(const_cast<DirList*>(&list)); *entry; ++entry)
        paths.append(QDir::toNativeSeparators(pathOf(**entry)));
    return paths;
}
