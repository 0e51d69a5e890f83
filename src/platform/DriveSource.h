#pragma once

#include <QList>
#include <QString>

// One entry of the path dialog's drive list: a mounted volume shown by its mount path, or a drive
// letter of the user's Wine prefix ("c:") standing for the directory it links to.
struct Drive {
    QString name;      // as the list shows it
    QString directory; // where the directory list goes when the drive is picked
    friend bool operator==(const Drive&, const Drive&) = default;
};

// The drives the path dialog offers.
class DriveSource {
public:
    virtual ~DriveSource() = default;

    // Mounted volumes first, the root volume leading; then the Wine drive letters in order.
    virtual QList<Drive> drives() = 0;
};
