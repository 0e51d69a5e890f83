#include "support/DialogDriver.h"

#include "app/pathdialog/DirList.h"
#include "support/Form2Probe.h"

#include <QDir>
#include <QtTest>

namespace {

QTreeWidgetItem* entryFor(DirList& list, const QString& path) {
    const int index = static_cast<int>(entryPaths(list).indexOf(QDir::toNativeSeparators(path)));
    if (index < 0)
        return nullptr;
    QTreeWidgetItemIterator entry(&list);
    for (int step = 0; step < index; ++step)
        ++entry;
    return *entry;
}

QPoint centreOf(DirList& list, QTreeWidgetItem* entry) {
    // Let the view lay its entries out, as it has long done by the time a user clicks.
    QCoreApplication::processEvents();
    list.scrollToItem(entry);
    return list.visualItemRect(entry).center();
}

bool isWithin(const QString& path, const QString& directory) {
    return path == directory || path.startsWith(directory.endsWith('/') ? directory : directory + '/');
}

} // namespace

bool DialogDriver::openEntry(DirList& list, const QString& path, OpenBy how) {
    QTreeWidgetItem* entry = entryFor(list, path);
    if (!entry)
        return false;
    if (how == OpenBy::DoubleClick) {
        // A user's double click begins with a full click.
        const QPoint where = centreOf(list, entry);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, where);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, where);
    } else {
        list.setCurrentItem(entry);
        QTest::keyClick(&list, Qt::Key_Return);
    }
    return true;
}

bool DialogDriver::clickEntry(DirList& list, const QString& path) {
    QTreeWidgetItem* entry = entryFor(list, path);
    if (!entry)
        return false;
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centreOf(list, entry));
    return true;
}

bool DialogDriver::navigate(DirList& list, const QString& target) {
    const QString goal = QDir::cleanPath(target);
    for (int step = 0; step < 64; ++step) {
        const QString here = QDir::fromNativeSeparators(list.path());
        if (here == goal)
            return true;
        // The deepest entry on the way to the goal: an ancestor of it, or the goal itself.
        QString next;
        for (const QString& native : entryPaths(list)) {
            const QString entry = QDir::fromNativeSeparators(native);
            if (entry != here && isWithin(goal, entry) && entry.size() > next.size())
                next = entry;
        }
        if (next.isEmpty() || !openEntry(list, next))
            return false;
        // A double click that the view took for two single ones opens nothing: the keyboard gets there.
        if (QDir::fromNativeSeparators(list.path()) == here && !openEntry(list, next, OpenBy::Enter))
            return false;
    }
    return false;
}
