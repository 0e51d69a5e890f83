#include "app/mainwindow/BagList.h"

#include "app/mainwindow/BagRows.h"
#include "props/BagStore.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {
// The window takes its events again once looking at the bags has taken this long, a few dozen rows at a
// time: a bag's size is mostly at hand, but a folder not read for a while, or bags of the live file's size,
// which are opened, can take far longer.
constexpr qint64 sliceNanoseconds = 1000000;
constexpr qsizetype rowsPerLook = 64;
} // namespace

BagList::BagList(BagStore& bags, LiveFileSource liveFile, QWidget* parent)
    : QListView(parent), bags_(bags), rows_(new BagRows(this)), liveFile_(std::move(liveFile)) {
    setModel(rows_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Thousands of bags must list at once: every row has the same height, so none is measured.
    setUniformItemSizes(true);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                if (!selected.isEmpty())
                    emit entrySelected();
            });
    connect(&marker_, &QTimer::timeout, this, &BagList::markSlice);
}

StepResult BagList::refresh() {
    selectionModel()->clear();
    StepValue<BagNames> listing = bags_.list();
    rows_->show(std::move(listing.value));
    markLoaded();
    return listing.result;
}

void BagList::markLoaded() {
    nextMarked_ = 0;
    marker_.start();
}

// A pass begins by asking where the live file is. A mark stays until its row is looked at again, so that
// marking anew after a load does not flicker.
void BagList::markSlice() {
    if (nextMarked_ == 0) {
        const StepValue<FilePlace> live = liveFile_();
        if (!live) {
            marker_.stop();
            rows_->unmarkAll();
            return;
        }
        marking_ = live.value;
    }
    const BagNames& names = rows_->names();
    QElapsedTimer slice;
    slice.start();
    while (nextMarked_ < names.size() && slice.nsecsElapsed() < sliceNanoseconds) {
        const qsizetype end = std::min(nextMarked_ + rowsPerLook, names.size());
        const QList<BagStatus> statuses = bags_.statuses(names, marking_, nextMarked_, end);
        for (qsizetype row = nextMarked_; row < end; ++row)
            rows_->markLoaded(row, statuses[row - nextMarked_].loaded);
        nextMarked_ = end;
    }
    if (nextMarked_ == names.size())
        marker_.stop();
}

QString BagList::selectedName() const {
    const int row = selectedRow();
    return row < 0 ? QString() : rows_->names().text(row);
}

BagName BagList::selectedBag() const {
    const int row = selectedRow();
    return row < 0 ? BagName() : BagName(rows_->names().fileName(row));
}

int BagList::selectedRow() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

QItemSelectionModel::SelectionFlags BagList::selectionCommand(const QModelIndex& index, const QEvent*) const {
    // Every move of the cursor selects its entry (Ctrl neither deselects nor moves the cursor alone),
    // and a click beside the entries leaves the selection as it is.
    return index.isValid() ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::NoUpdate;
}

void BagList::focusInEvent(QFocusEvent* event) {
    QListView::focusInEvent(event);
    // The view puts its cursor on the first entry when it gets the focus; that is no selection,
    // and the first arrow key should select the first entry rather than the second.
    if (!selectionModel()->hasSelection())
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

void BagList::mousePressEvent(QMouseEvent* event) {
    // Only the left button selects, or moves the cursor.
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex hit = indexAt(event->position().toPoint());
    const bool alreadySelected = hit.isValid() && selectionModel()->isSelected(hit);
    QListView::mousePressEvent(event);
    if (alreadySelected)
        emit entrySelected();
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
