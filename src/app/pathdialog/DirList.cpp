#include "app/pathdialog/DirList.h"

#include "app/pathdialog/sources/DirectoryLister.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>

namespace {

constexpr int pathRole = Qt::UserRole;

QString cleaned(const QString& directory) {
    return QDir::cleanPath(QDir(QDir::fromNativeSeparators(directory)).absolutePath());
}

// The directory and its parents, the root first.
QStringList chainTo(const QString& directory) {
    QStringList chain{directory};
    while (!QDir(chain.first()).isRoot()) {
        const QString parent = QFileInfo(chain.first()).path();
        if (parent == chain.first())
            break;
        chain.prepend(parent);
    }
    return chain;
}

QString entryName(const QString& directory) {
    return QDir(directory).isRoot() ? QDir::toNativeSeparators(directory) : QFileInfo(directory).fileName();
}

} // namespace

DirList::DirList(DirectoryLister& lister, QWidget* parent) : QTreeWidget(parent), lister_(lister) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    setIndentation(10);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Long names scroll sideways instead of being cut off.
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* entry) { open(entry); });
}

QString DirList::path() const {
    return QDir::toNativeSeparators(path_);
}

bool DirList::setPath(const QString& directory) {
    const QString before = path_;
    if (!list(cleaned(directory)))
        return false;
    if (path_ != before)
        emit changed();
    return true;
}

void DirList::startAt(const QString& directory) {
    const QStringList chain = chainTo(cleaned(directory));
    for (auto candidate = chain.crbegin(); candidate != chain.crend(); ++candidate)
        if (list(*candidate))
            return;
}

void DirList::drawBranches(QPainter*, const QRect&, const QModelIndex&) const {
    // Every entry stays open: there is nothing to expand or collapse, so no marks for it.
}

void DirList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        open(currentItem());
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void DirList::open(const QTreeWidgetItem* entry) {
    if (!entry)
        return;
    // An entry that cannot be opened (gone, or not readable) leaves the list where it was, re-read.
    if (!setPath(entry->data(0, pathRole).toString()))
        list(path_);
}

bool DirList::list(const QString& directory) {
    const StepValue<QStringList> subdirectories = lister_.subdirectories(directory);
    if (!subdirectories)
        return false;

    clear();
    const QIcon openFolder = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedFolder = style()->standardIcon(QStyle::SP_DirClosedIcon);
    QTreeWidgetItem* current = nullptr;
    for (const QString& step : chainTo(directory)) {
        auto* entry = current ? new QTreeWidgetItem(current) : new QTreeWidgetItem(this);
        entry->setText(0, entryName(step));
        entry->setIcon(0, openFolder);
        entry->setData(0, pathRole, step);
        current = entry;
    }
    const QString base = directory.endsWith(QLatin1Char('/')) ? directory : directory + QLatin1Char('/');
    for (const QString& name : subdirectories.value) {
        auto* entry = new QTreeWidgetItem(current);
        entry->setText(0, name);
        entry->setIcon(0, closedFolder);
        entry->setData(0, pathRole, base + name);
    }
    expandAll();
    setCurrentItem(current);
    scrollToItem(current);
    path_ = directory;
    return true;
}
