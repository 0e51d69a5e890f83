#pragma once

#include "props/BagNames.h"

#include <QAbstractListModel>

// The rows of the saved-bag list, one per bag of the last listing. A row's text is made only when the
// view asks for it, which it does for the rows on screen; each row keeps its bag's exact name.
class BagRows : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void show(BagNames names);
    const BagNames& names() const { return names_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    BagNames names_;
};
