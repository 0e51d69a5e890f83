#pragma once

#include "props/BagNames.h"

#include <QStringList>

// A listing's names as the bag list shows them, in order.
inline QStringList shownNames(const BagNames& names) {
    QStringList shown;
    for (qsizetype row = 0; row < names.size(); ++row)
        shown.append(names.text(row));
    return shown;
}
