#include "app/mainwindow/BagRows.h"

void BagRows::show(BagNames names) {
    beginResetModel();
    names_ = std::move(names);
    endResetModel();
}

int BagRows::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(names_.size());
}

QVariant BagRows::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return names_.text(index.row());
}
