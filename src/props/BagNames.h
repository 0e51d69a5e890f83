#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The bags of one listing, in the order the list shows them: case-blind first, so that "a.prp" and
// "B.prp" sit where a reader expects them, with the exact case breaking ties, and the exact bytes
// between names that only differ where they are not valid text.
// Each name is kept exactly as the file system spells it, so that it still reaches its file when it is
// not valid text; all of them lie in one block of bytes, and no string is made for a name until it is
// shown: a folder of a hundred thousand bags lists in a few megabytes.
class BagNames {
public:
    qsizetype size() const { return starts_.size(); }
    QByteArray fileName(qsizetype row) const { return name(row).toByteArray(); }
    // The name as the list shows it.
    QString text(qsizetype row) const;

    // Makes room at once for names that take about this many bytes in their directory.
    void reserve(qsizetype directoryBytes);
    void append(QByteArrayView fileName);
    void sortForReading();

private:
    QByteArrayView name(qsizetype row) const { return QByteArrayView(bytes_.constData() + starts_[row]); }

    QByteArray bytes_;        // every name, each ended by a NUL, which no file name holds
    QList<qsizetype> starts_; // where each name begins, row by row
};
