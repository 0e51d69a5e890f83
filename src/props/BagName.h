#pragma once

#include <QByteArray>
#include <QString>

// One bag by its file name: the exact bytes on disk, which reach the file even when they are not valid
// text, and the text the list and the messages show for them.
class BagName {
public:
    BagName() = default;
    explicit BagName(const QByteArray& bytes);

    // The bag Save or Rename makes of a typed name: the name with ".prp".
    static BagName typed(const QString& name);
    static BagName typed(const QByteArray& name);
    // The bag a name given on a command line stands for: the file of that name when it ends in ".prp", as
    // the list shows it, else the one Save makes of it.
    static BagName given(const QByteArray& name);

    const QByteArray& bytes() const { return bytes_; }
    const QString& displayed() const { return displayed_; }

    friend bool operator==(const BagName& a, const BagName& b) { return a.bytes_ == b.bytes_; }

private:
    QByteArray bytes_;
    QString displayed_;
};
