#pragma once

#include "app/pathdialog/sources/DriveSource.h"

#include <QComboBox>

// The path dialog's drive list, a drop-down. Reports every change of the drive shown.
class DriveList : public QComboBox {
    Q_OBJECT

public:
    explicit DriveList(DriveSource& source, QWidget* parent = nullptr);

    // Reads the drives afresh and shows the one that holds `directory`, without reporting a change.
    void startAt(const QString& directory);
    // The drive shown; empty when there is none.
    Drive drive() const;

signals:
    void changed();

private:
    DriveSource& source_;
    QList<Drive> drives_;
};
