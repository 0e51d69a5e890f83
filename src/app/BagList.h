#pragma once

#include <QListView>
#include <QString>

class BagStore;
class QStringListModel;

// The saved-bag list: names of the "*.prp" files of one directory, re-read on demand.
class BagList : public QListView {
    Q_OBJECT

public:
    BagList(BagStore& bags, QWidget* parent = nullptr);

    void setDirectory(const QString& directory);
    QString directory() const { return directory_; }
    // Re-reads the directory; no entry is selected afterwards.
    void refresh();
    QStringList names() const;
    QString selectedName() const;
    // Selects the entry with this name, as a click would; false when it is not listed.
    bool selectName(const QString& name);

signals:
    void entrySelected();
    void keyReleased(int key, Qt::KeyboardModifiers modifiers);

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    BagStore& bags_;
    QStringListModel* model_;
    QString directory_;
};
