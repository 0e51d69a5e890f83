#pragma once

#include "props/BagNames.h"

#include <QAbstractListModel>
#include <QSet>

// The rows of the saved-bag list, one per bag of the last listing. A row's text is made only when the
// view asks for it, which it does for the rows on screen; each row keeps its bag's exact name. A bag that
// holds the live file's bytes is shown in bold, and its description says so.
class BagRows : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    // No bag of the new listing is marked yet.
    void show(BagNames names);
    const BagNames& names() const { return names_; }
    void markLoaded(qsizetype row, bool loaded);
    void unmarkAll();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    BagNames names_;
    QSet<qsizetype> loaded_; // the rows marked
};
