#include "app/BagList.h"

#include "props/BagStore.h"

#include <QKeyEvent>
#include <QStringListModel>

BagList::BagList(BagStore& bags, QWidget* parent)
    : QListView(parent), bags_(bags), model_(new QStringListModel(this)) {
    setModel(model_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Thousands of bags must list at once: every row has the same height, so none is measured.
    setUniformItemSizes(true);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (current.isValid())
            emit entrySelected();
    });
}

void BagList::setDirectory(const QString& directory) {
    directory_ = directory;
    refresh();
}

void BagList::refresh() {
    selectionModel()->clear();
    model_->setStringList(bags_.listBags(directory_));
}

QStringList BagList::names() const {
    return model_->stringList();
}

QString BagList::selectedName() const {
    const QModelIndex current = selectionModel()->currentIndex();
    return current.isValid() ? current.data().toString() : QString();
}

bool BagList::selectName(const QString& name) {
    const int row = static_cast<int>(model_->stringList().indexOf(name));
    if (row < 0)
        return false;
    setCurrentIndex(model_->index(row));
    return true;
}

void BagList::keyReleaseEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat())
        emit keyReleased(event->key(), event->modifiers());
    QListView::keyReleaseEvent(event);
}

bool BagList::event(QEvent* event) {
    // The list acts on Del itself, when the key is released; claiming the press keeps the menu's Del
    // shortcut from starting a second delete for the same press while the list has the focus.
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        event->accept();
        return true;
    }
    return QListView::event(event);
}
