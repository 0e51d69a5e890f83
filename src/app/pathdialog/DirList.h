#pragma once

#include <QString>
#include <QTreeWidget>

class DirectoryLister;

// The path dialog's directory list: the current directory's chain of parents from the root down,
// then its subdirectories. A double click or Enter opens an entry; a single click only highlights it.
class DirList : public QTreeWidget {
    Q_OBJECT

public:
    explicit DirList(DirectoryLister& lister, QWidget* parent = nullptr);

    // The current directory with native separators, ending in one only at a root.
    QString path() const;
    // Moves to `directory`, reporting the change; false, and nothing changed, when it cannot be listed.
    bool setPath(const QString& directory);
    // Stands at `directory`, or its nearest parent that can be listed, without reporting a change.
    void startAt(const QString& directory);

signals:
    void changed();

protected:
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void open(const QTreeWidgetItem* entry);
    bool list(const QString& directory);

    DirectoryLister& lister_;
    QString path_; // with '/' separators
};
