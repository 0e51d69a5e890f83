#pragma once

#include "platform/StepResult.h"
#include "props/BagName.h"

#include <QListView>
#include <QString>

class BagRows;
class BagStore;

// The saved-bag list: names of the "*.prp" files of the program directory, re-read on demand. Each entry
// keeps its file's exact name, which two entries may show alike. Like a list box, it has at most one selected
// entry, and the entry with the cursor is always the selected one.
class BagList : public QListView {
    Q_OBJECT

public:
    BagList(BagStore& bags, QWidget* parent = nullptr);

    // Re-reads the directory; no entry is selected afterwards. A directory that cannot be read lists what
    // was read before the failure.
    StepResult refresh();
    // The selected entry's name as shown, or the empty string when none is selected.
    QString selectedName() const;
    // The selected entry's bag; an empty name when none is selected.
    BagName selectedBag() const;

signals:
    // An entry was selected, by the mouse or the keyboard, or clicked again while selected.
    void entrySelected();
    void keyReleased(int key, Qt::KeyboardModifiers modifiers);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    int selectedRow() const; // -1 when none

    BagStore& bags_;
    BagRows* rows_;
};
