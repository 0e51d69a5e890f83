#include "app/mainwindow/BagRows.h"

#include "app/mainwindow/Form1Texts.h"

#include <QFont>

void BagRows::show(BagNames names) {
    beginResetModel();
    names_ = std::move(names);
    loaded_.clear();
    endResetModel();
}

void BagRows::markLoaded(qsizetype row, bool loaded) {
    if (loaded_.contains(row) == loaded)
        return;
    if (loaded)
        loaded_.insert(row);
    else
        loaded_.remove(row);
    const QModelIndex at = index(int(row));
    emit dataChanged(at, at, {Qt::FontRole, Qt::AccessibleDescriptionRole});
}

void BagRows::unmarkAll() {
    for (const qsizetype row : QSet<qsizetype>(loaded_))
        markLoaded(row, false);
}

int BagRows::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(names_.size());
}

QVariant BagRows::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return names_.text(index.row());
    if (!loaded_.contains(index.row()))
        return {};
    if (role == Qt::FontRole) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (role == Qt::AccessibleDescriptionRole)
        return Form1Texts::loadedBagDescription;
    return {};
}
